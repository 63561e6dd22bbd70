// list and cis: what the sockets hold and a card's CIS.
#include "command_run.h"

#include <algorithm>
#include <cstdio>
#include <vector>
#include "cis_walk.h"
#include "describe.h"
#include "device_tables.h"
#include "socket_records.h"
#include "texts.h"
#include "tuple_list.h"

namespace tesselcmd {

using namespace tessel;

namespace {

// The description's CR LF line ends become the stream's own.
std::string withNewlines(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i)
    if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) out += text[i];
  return out;
}

}  // namespace

int Run::list() {
  if (std::optional<int> stop = bindCards()) return *stop;
  CardAccess& access = session_.access();
  for (uint8_t socket = 0; socket < access.socketCount(); ++socket) {
    const uint8_t status = session_.status(socket);
    const uint8_t category = socket < kShownSockets ? access.sockets().category[socket] : 0;
    std::string line = "socket " + std::to_string(socket + 1) + "  " +
                       std::string(text(static_cast<uint16_t>(sid::kCategory0 + (category & 15))));
    if (!cardPresent(status)) {
      io_.out << line << "  no card\n";
      continue;
    }
    line += cardUsable(status) ? "  card usable" : "  card not usable";
    line += (status & cardservice::STATUS_WRITE_PROTECTED) ? "  write protected" : "  writable";
    line += (status & cardservice::STATUS_BATTERY_DEAD)  ? "  battery dead"
            : (status & cardservice::STATUS_BATTERY_LOW) ? "  battery low"
                                                         : "  battery good";
    io_.out << line << '\n';
    const SocketInfo& info = access.sockets().info[socket];
    for (unsigned area = 0; area < kAreaCount; ++area) {
      if (info.areaSize[area] == 0) continue;
      const std::string name = area == kAttributeArea ? "attribute" : "region " + std::to_string(area);
      io_.out << "  " << name << "  " << deviceTypeName(info.deviceType[area]) << "  " << info.areaSize[area]
              << " bytes\n";
    }
  }
  return kExitSuccess;
}

int Run::cis() {
  const std::optional<uint8_t> socket = parseSocket(invocation_.operands[0]);
  if (!socket) return fail(kExitUsage, "bad SOCKET '" + invocation_.operands[0] + "'");
  if (std::optional<int> stop = bindCards()) return *stop;
  if (uint16_t result = session_.claim(*socket)) return cardFailure(result);
  // The walk reads common memory in the selected region; the card window
  // selects region 0 first, and so does the tool. A card without regions
  // refuses that, and its CIS lies in attribute memory anyway.
  session_.access().cardSelectRegion(*socket, 0);
  const std::vector<::cis::CisTupleRecord> records = readCardCis(session_.access(), *socket);
  if (records.empty()) io_.err << "tesselcmd: the card in socket " << (*socket + 1) << " has no CIS\n";
  // The description reads the CIS library's own copies of the records (the
  // entry's code in place, function extensions given their function).
  const std::vector<::cis::CisTupleEntry> entries = cisTupleList(records);
  const auto copies = ::cis::prepareTupleCopies(entries.data(), static_cast<unsigned>(entries.size()));
  bool first = true;
  for (size_t index = 0; index < records.size(); ++index) {
    const ::cis::CisTupleRecord& record = records[index];
    if (invocation_.raw) {
      char head[32];
      std::snprintf(head, sizeof head, "%08X  %02X %02X ", static_cast<unsigned>(record.address),
                    static_cast<unsigned>(record.cardCode), static_cast<unsigned>(record.cardLink));
      io_.out << head;
      const unsigned length = std::min<unsigned>(record.dataLength, ::cis::kTupleDataCapacity);
      for (unsigned i = 0; i < length; ++i) {
        char byte[4];
        std::snprintf(byte, sizeof byte, " %02X", static_cast<unsigned>(record.data[i]));
        io_.out << byte;
      }
      io_.out << '\n';
      continue;
    }
    if (!first) io_.out << '\n';
    first = false;
    const std::string described = withNewlines(::cis::describeRecord(*copies[index]));
    io_.out << (io_.fromShiftJis ? io_.fromShiftJis(described) : described);
  }
  return kExitSuccess;
}

}  // namespace tesselcmd
