#include "zrb2xvirt_commands.h"

#include <charconv>
#include <functional>
#include <optional>

#include "virtual/card_templates.h"

namespace zrb2xvirt {
namespace {

using namespace zrb2x::virt;

constexpr const char* kUsage = R"(zrb2xvirt: make and control virtual ZRB-2x reader-writers.

A virtual reader-writer is a folder holding reader.txt (the reader, the card
in its slot and the region table the reader keeps), common.img and
attribute.img (the card's memories; an ATA card's sectors are common.img).
The device library lists every reader folder inside the folder named by the
environment variable ZRB2X_VIRTUAL (on Windows, else by the string value
"VirtualReaders" under HKEY_LOCAL_MACHINE\Software\Orvane\zrb2x), in name
order, after any real reader-writer.

Commands:
  create DIR [--product ZRB-22G|ZRB-22H] [--revision X.YZ]
      Make an empty reader (no card) in DIR. Defaults: ZRB-22G, 2.00. The
      revision decides the firmware-download method (below 1.79: one command)
      and how the reader stores the attribute size (below 2.00: in words).
  insert DIR TEMPLATE [--size BYTES] [--image FILE] [--cis FILE]
      Put a card into the slot (replacing any card). The next command that
      touches the card answers once with a card change (0x28000006).
      --size   common memory size instead of the template's (even; ATA:
               whole 512-byte sectors; suffixes K and M allowed)
      --image  fill common memory from the start with the bytes of FILE
      --cis    the CIS as tuple bytes, one byte per CIS byte; they go to the
               even addresses of attribute memory
  remove DIR                 Pull the card out of the slot.
  protect DIR on|off         Set or clear the card's write-protect switch.
  battery DIR good|low|dead  Set the card's battery signals.
  ready DIR on|off           Set the card's ready signal.
  fault DIR fail-after N [--result VALUE]
      The Nth command from now fails with VALUE (a device result, default
      0x44000004, hardware error); N = 0 turns it off.
  fault DIR pull-after N     Pull the card after N more commands (0 = off).
  fault DIR clear            Remove both faults.
  throughput DIR BYTES       Limit data phases to BYTES per second, as a slow
                             USB device would (0 = unlimited).
  lock-wait DIR MS           How long taking the reader for exclusive use
                             keeps trying (default 8000 ms).
  show DIR                   Print the reader's description.
  templates                  List the card templates.
  --help                     This text.

Templates:
)";

void printTemplates(std::ostream& out) {
  for (const auto& row : cardTemplates())
    out << "  " << row.name << std::string(14 - std::string(row.name).size(), ' ') << row.description << "\n";
}

std::optional<uint32_t> parseNumber(std::string text) {
  uint32_t scale = 1;
  if (!text.empty() && (text.back() == 'K' || text.back() == 'k')) scale = 1024;
  if (!text.empty() && (text.back() == 'M' || text.back() == 'm')) scale = 1024 * 1024;
  if (scale != 1) text.pop_back();
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    text = text.substr(2);
    base = 16;
  }
  uint32_t value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  if (uint64_t{value} * scale > 0xFFFFFFFFu) return std::nullopt;
  return value * scale;
}

std::optional<bool> parseSwitch(const std::string& text) {
  if (text == "on") return true;
  if (text == "off") return false;
  return std::nullopt;
}

class CommandLine {
 public:
  CommandLine(const std::vector<std::string>& args, std::ostream& err) : args_(args), err_(err) {}

  size_t size() const { return args_.size(); }
  const std::string& operator[](size_t i) const { return args_[i]; }

  // Collects "--name value" options after the positional arguments.
  bool options(size_t from, std::initializer_list<const char*> names) {
    for (size_t i = from; i < args_.size(); i += 2) {
      bool known = false;
      for (const char* name : names) known |= args_[i] == name;
      if (!known || i + 1 >= args_.size()) {
        usage("unknown option or missing value: " + args_[i]);
        return false;
      }
      values_.emplace_back(args_[i], args_[i + 1]);
    }
    return true;
  }
  std::optional<std::string> option(const std::string& name) const {
    for (const auto& [key, value] : values_)
      if (key == name) return value;
    return std::nullopt;
  }
  int usage(const std::string& message) {
    err_ << "zrb2xvirt: " << message << "\n(zrb2xvirt --help explains every command)\n";
    return 2;
  }

 private:
  const std::vector<std::string>& args_;
  std::ostream& err_;
  std::vector<std::pair<std::string, std::string>> values_;
};

int report(const std::string& error, std::ostream& err) {
  if (error.empty()) return 0;
  err << "zrb2xvirt: " << error << "\n";
  return 1;
}

int change(const std::string& dir, const std::function<void(ReaderState&)>& how, std::ostream& err) {
  return report(changeReader(dir, how), err);
}

int runCommand(CommandLine& cl, std::ostream& out, std::ostream& err) {
  const std::string& verb = cl[0];
  if (verb == "--help" || verb == "-h" || verb == "help") {
    out << kUsage;
    printTemplates(out);
    return 0;
  }
  if (verb == "templates") {
    printTemplates(out);
    return 0;
  }
  if (cl.size() < 2) return cl.usage(verb + " needs a reader folder");
  const std::string& dir = cl[1];

  if (verb == "create") {
    if (!cl.options(2, {"--product", "--revision"})) return 2;
    ReaderOptions options;
    options.product = cl.option("--product").value_or(options.product);
    options.revision = cl.option("--revision").value_or(options.revision);
    return report(createReader(dir, options), err);
  }
  if (verb == "insert") {
    if (cl.size() < 3) return cl.usage("insert needs a template");
    auto card = templateFromName(cl[2]);
    if (!card) return cl.usage("unknown template " + cl[2]);
    if (!cl.options(3, {"--size", "--image", "--cis"})) return 2;
    InsertOptions options;
    if (auto size = cl.option("--size")) {
      options.size = parseNumber(*size);
      if (!options.size) return cl.usage("not a size: " + *size);
    }
    if (auto image = cl.option("--image")) options.image = *image;
    if (auto cis = cl.option("--cis")) options.cis = *cis;
    return report(insertCard(dir, *card, options), err);
  }
  if (verb == "remove" && cl.size() == 2) return report(removeCard(dir), err);
  if (verb == "show" && cl.size() == 2) {
    std::string text;
    const int code = report(showReader(dir, text), err);
    out << text;
    return code;
  }
  if ((verb == "protect" || verb == "ready") && cl.size() == 3) {
    auto on = parseSwitch(cl[2]);
    if (!on) return cl.usage(verb + " takes on or off");
    if (verb == "protect")
      return change(
          dir, [&](ReaderState& s) { s.writeProtect = *on; }, err);
    return change(
        dir, [&](ReaderState& s) { s.ready = *on; }, err);
  }
  if (verb == "battery" && cl.size() == 3) {
    auto battery = batteryFromName(cl[2]);
    if (!battery) return cl.usage("battery takes good, low or dead");
    return change(
        dir, [&](ReaderState& s) { s.battery = *battery; }, err);
  }
  if ((verb == "throughput" || verb == "lock-wait") && cl.size() == 3) {
    auto value = parseNumber(cl[2]);
    if (!value) return cl.usage("not a number: " + cl[2]);
    if (verb == "throughput")
      return change(
          dir, [&](ReaderState& s) { s.throughput = *value; }, err);
    return change(
        dir, [&](ReaderState& s) { s.lockWaitMs = *value; }, err);
  }
  if (verb == "fault" && cl.size() >= 3) {
    if (cl[2] == "clear" && cl.size() == 3)
      return change(
          dir, [](ReaderState& s) { s.failAfter = s.pullAfter = 0; }, err);
    if (cl.size() < 4) return cl.usage("fault " + cl[2] + " needs a count");
    auto count = parseNumber(cl[3]);
    if (!count) return cl.usage("not a count: " + cl[3]);
    if (cl[2] == "pull-after" && cl.size() == 4)
      return change(
          dir, [&](ReaderState& s) { s.pullAfter = *count; }, err);
    if (cl[2] == "fail-after") {
      if (!cl.options(4, {"--result"})) return 2;
      std::optional<uint32_t> value = 0x44000004;
      if (auto text = cl.option("--result")) value = parseNumber(*text);
      if (!value || *value == 0) return cl.usage("the result must be a non-zero number");
      return change(
          dir,
          [&](ReaderState& s) {
            s.failAfter = *count;
            s.failResult = *value;
          },
          err);
    }
    return cl.usage("fault takes fail-after, pull-after or clear");
  }
  return cl.usage("unknown command or wrong arguments: " + verb);
}

}  // namespace

int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  if (args.empty()) {
    err << "zrb2xvirt: no command\n(zrb2xvirt --help explains every command)\n";
    return 2;
  }
  try {
    CommandLine cl(args, err);
    return runCommand(cl, out, err);
  } catch (const std::exception& e) {
    err << "zrb2xvirt: " << e.what() << "\n";
    return 1;
  }
}

}  // namespace zrb2xvirt
