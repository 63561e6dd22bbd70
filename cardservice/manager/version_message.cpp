#include "version_message.h"

#include <variant>
#include <vector>

namespace cardservice {

std::string formatVersionMessage(const std::string& format, const std::string& fileName,
                                 const VersionNumbers& module, uint32_t managerMajor, uint32_t managerMinor) {
  using Argument = std::variant<std::string, uint32_t>;
  const std::vector<Argument> arguments = {fileName,         module.number[0], module.number[1],
                                           module.number[2], module.number[3], fileName,
                                           managerMajor,     managerMinor};
  std::string text;
  size_t next = 0;
  for (size_t at = 0; at < format.size(); ++at) {
    if (format[at] != '%' || at + 1 >= format.size()) {
      text += format[at];
      continue;
    }
    const std::string_view rest(format.data() + at + 1, format.size() - at - 1);
    if (rest.starts_with("%")) {
      text += '%';
      at += 1;
    } else if (rest.starts_with("s") || rest.starts_with("lu")) {
      if (next < arguments.size()) {
        const Argument& argument = arguments[next];
        if (const auto* s = std::get_if<std::string>(&argument))
          text += *s;
        else
          text += std::to_string(std::get<uint32_t>(argument));
      }
      ++next;
      at += rest.starts_with("s") ? 1 : 2;
    } else {
      text += '%';
    }
  }
  return text;
}

}  // namespace cardservice
