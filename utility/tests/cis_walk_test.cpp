// The CIS walk on the real card path: chains in attribute memory (every
// other byte), behind a link target in common memory, and both; null, end,
// empty and open-ended tuples; and the limits that keep a broken chain from
// running on.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "card_window_fixture.h"
#include "cis_walk.h"

namespace tessel {
namespace {

using Bytes = std::vector<uint8_t>;
using zrb2x::virt::CardTemplate;

class CisWalkTest : public test::CardWindowTest {
 protected:
  // An SRAM card whose attribute memory holds `attribute` as CIS bytes
  // (empty: none, all 0xFF) and whose common memory starts with `common`.
  void card(const Bytes& attribute, Bytes common = {}) {
    zrb2x::virt::InsertOptions options;
    options.cis = write(attribute);
    common.resize(0x10000, 0xFF);
    options.image = write(common);
    insert(CardTemplate::Sram, options);
  }
  std::filesystem::path write(const Bytes& bytes) {
    std::filesystem::path file = stack.readersFolder() / ("cis" + std::to_string(images++) + ".bin");
    std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    return file;
  }
  std::vector<cis::CisTupleRecord> walk(uint8_t socket = 0) {
    if (!access.bound()) bind();
    return readCardCis(access, socket);
  }
};

Bytes body(const cis::CisTupleRecord& record) { return Bytes(record.data, record.data + record.dataLength); }

Bytes codes(const std::vector<cis::CisTupleRecord>& records) {
  Bytes list;
  for (const auto& record : records) list.push_back(record.cardCode);
  return list;
}

Bytes operator+(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

const Bytes kLinkTarget = {0x13, 0x03, 'C', 'I', 'S'};

TEST_F(CisWalkTest, ATemplateCardsChainIsCopiedWholeIntoFilledRecords) {
  insert(CardTemplate::Blank);
  insert(CardTemplate::Sram);
  const Bytes cis = zrb2x::virt::templateCis(CardTemplate::Sram, 0x100000);
  EXPECT_TRUE(walk(0).empty());  // no CIS anywhere
  const auto records = walk(1);
  ASSERT_EQ(records.size(), 2u);
  uint32_t at = 0;  // CIS byte of the tuple
  for (const auto& record : records) {
    EXPECT_EQ(record.socket, 1);
    EXPECT_EQ(record.attributeWord, 1);
    EXPECT_EQ(record.requestedCode, 0xFF);
    EXPECT_EQ(Bytes(record.unused, record.unused + sizeof record.unused), Bytes(7, 0));
    EXPECT_EQ(record.address, 2 * at);  // the attribute address the card window shows
    EXPECT_EQ(record.cardCode, cis[at]);
    EXPECT_EQ(record.cardLink, cis[at + 1]);
    EXPECT_EQ(body(record), Bytes(cis.begin() + at + 2, cis.begin() + at + 2 + cis[at + 1]));
    EXPECT_EQ(Bytes(record.data + record.dataLength, record.data + cis::kTupleDataCapacity),
              Bytes(cis::kTupleDataCapacity - record.dataLength, 0));
    at += 2 + cis[at + 1];
  }
  EXPECT_EQ(cis.at(at), 0xFF);

  const auto entries = cisTupleList(records);
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[1].code, 0x15u);
  EXPECT_EQ(entries[1].record, &records[1]);
}

TEST_F(CisWalkTest, WithoutAttributeCisTheCommonChainBehindItsLinkTargetIsListed) {
  card({}, kLinkTarget + Bytes{0x15, 0x04, 0x04, 0x01, 'A', 0x00, 0x20, 0x01, 0x7F, 0xFF});
  const auto records = walk();
  EXPECT_EQ(codes(records), (Bytes{0x13, 0x15, 0x20}));
  EXPECT_EQ(records[0].address, 0u);
  EXPECT_EQ(body(records[0]), (Bytes{'C', 'I', 'S'}));
  EXPECT_EQ(records[1].address, 5u);  // common memory: one byte per CIS byte
  EXPECT_EQ(body(records[1]), (Bytes{0x04, 0x01, 'A', 0x00}));
  EXPECT_EQ(records[2].address, 11u);
  EXPECT_EQ(body(records[2]), (Bytes{0x7F}));
}

TEST_F(CisWalkTest, BothChainsMakeOneListAndCommonMemoryWithoutLinkTargetAddsNothing) {
  card({0x01, 0x03, 0x53, 0x06, 0xFF, 0xFF}, kLinkTarget + Bytes{0x44, 0x00, 0xFF});
  card({0x01, 0x03, 0x53, 0x06, 0xFF, 0xFF}, {0x13, 0x03, 'C', 'I', 'X', 0x44, 0x00, 0xFF});
  auto records = walk(0);
  EXPECT_EQ(codes(records), (Bytes{0x01, 0x13, 0x44}));
  EXPECT_EQ(records[2].address, 5u);
  EXPECT_EQ(records[2].dataLength, 0u);
  EXPECT_EQ(codes(walk(1)), (Bytes{0x01}));
}

TEST_F(CisWalkTest, NullTuplesAreSkippedAndOpenEndedTuplesEndTheChain) {
  // Nulls before and between tuples; a tuple of link 0; one of link 0xFF
  // whose body runs to its 0xFF and ends the attribute chain, so the tuple
  // after it is not listed, and the common chain follows.
  card({0x00, 0x00, 0x20, 0x00, 0x00, 0x40, 0xFF, 'a', 'b', 0xFF, 0x21, 0x02, 0x04, 0x01, 0xFF},
       kLinkTarget + Bytes{0xFF});
  const auto records = walk();
  ASSERT_EQ(codes(records), (Bytes{0x20, 0x40, 0x13}));
  EXPECT_EQ(records[0].address, 4u);
  EXPECT_EQ(records[0].dataLength, 0u);
  EXPECT_EQ(records[1].address, 10u);
  EXPECT_EQ(records[1].cardLink, 0xFF);
  EXPECT_EQ(body(records[1]), (Bytes{'a', 'b', 0xFF}));
}

TEST_F(CisWalkTest, BodiesStopAtTheRecordsCapacity) {
  // Link 254, the longest counted body, from every other attribute byte;
  // and a link-0xFF body with no 0xFF within 256 bytes.
  Bytes longest = {0x15, 0xFE};
  for (unsigned i = 0; i < 254; ++i) longest.push_back(static_cast<uint8_t>(i));
  card(longest + Bytes{0x40, 0xFF} + Bytes(300, 0x41) + Bytes{0xFF});
  const auto records = walk();
  ASSERT_EQ(codes(records), (Bytes{0x15, 0x40}));
  EXPECT_EQ(body(records[0]), Bytes(longest.begin() + 2, longest.end()));
  EXPECT_EQ(records[1].address, 2u * 256);
  EXPECT_EQ(body(records[1]), Bytes(256, 0x41));
}

TEST_F(CisWalkTest, ALongChainIsCutAt256TuplesAndALongRunOfNullsEndsTheWalk) {
  Bytes many;
  for (unsigned i = 0; i < 300; ++i) many = many + Bytes{0x14, 0x00};
  card(many + Bytes{0xFF});
  card(Bytes(255, 0x00) + Bytes{0x15, 0x00, 0xFF});
  card(Bytes(256, 0x00) + Bytes{0x15, 0x00, 0xFF}, kLinkTarget);
  EXPECT_EQ(walk(0).size(), kMaxCisTuples);
  const auto afterNulls = walk(1);
  ASSERT_EQ(codes(afterNulls), (Bytes{0x15}));
  EXPECT_EQ(afterNulls[0].address, 2u * 255);
  EXPECT_TRUE(walk(2).empty());
}

TEST_F(CisWalkTest, AChainRunningOffTheAttributeMemoryKeepsWhatCameBefore) {
  // Fifteen tuples of 256 CIS bytes, one of 0x82, then one whose body would
  // reach past the 0x1000 CIS bytes of the attribute memory.
  Bytes chain;
  for (unsigned i = 0; i < 15; ++i) chain = chain + Bytes{0x15, 0xFE} + Bytes(0xFE, 0x30);
  chain = chain + Bytes{0x15, 0x80} + Bytes(0x80, 0x31) + Bytes{0x16, 0xFE} + Bytes(0x7C, 0x32);
  ASSERT_EQ(chain.size(), 0x1000u);
  card(chain, kLinkTarget);
  const auto records = walk();
  ASSERT_EQ(records.size(), 16u);
  EXPECT_EQ(records.back().address, 2u * 0xF00);
  EXPECT_EQ(records.back().dataLength, 0x80u);
}

}  // namespace
}  // namespace tessel
