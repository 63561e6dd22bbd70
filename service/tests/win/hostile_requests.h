// Malformed and hostile requests a raw client sends, each with the answer a
// sound server gives; whoever runs the server then checks it still serves.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "raw_pipe_client.h"

namespace zrb2x::service::test {

inline void sendHostileRequests(const std::string& pipeName) {
  namespace code = pipe::code;
  namespace status = pipe::status;
  {  // short header
    RawPipeClient raw(pipeName);
    pipe::ServiceRequest r = request(code::kEraseMemory, 0, 0, 0x1000);
    ASSERT_TRUE(raw.send(&r, 20));
    EXPECT_EQ(raw.reply().status, status::kMissingData);
  }
  {  // wrapping size: the 2-byte block the product wraps to, then a refusal
    RawPipeClient raw(pipeName);
    ASSERT_TRUE(raw.send(request(code::kWriteCommon, 2, 0, 0x80000001, 2)));
    ASSERT_TRUE(raw.send("\x01\x02", 2));
    EXPECT_EQ(raw.reply().status, status::kMissingData);
  }
  // Blocks larger than any card: refused as a bad length before the server
  // allocates anything (a 64-bit service could allocate 4 GiB, then spend
  // its time sending it).
  for (uint32_t length : {0xFFFFFFF0u, pipe::kMaxDataBlock + 512}) {
    {  // announced to the server: what the client sends is taken in, then refused
      RawPipeClient raw(pipeName);
      ASSERT_TRUE(raw.send(request(code::kWriteCommon, 2, 0, length, 1)));
      std::vector<uint8_t> piece(65536, 0xEE);
      ASSERT_TRUE(raw.send(piece.data(), static_cast<uint32_t>(piece.size())));
      pipe::ServiceReply reply = raw.reply();
      EXPECT_EQ(reply.status, status::kMissingData);
      EXPECT_EQ(reply.systemError, 0u);
    }
    {  // asked of the server: the reply comes where the block would
      RawPipeClient raw(pipeName);
      ASSERT_TRUE(raw.send(request(code::kReadCommon, 1, 0, length, 1)));
      EXPECT_EQ(raw.reply().status, status::kMissingData);
    }
  }
  {  // a write announced in the wrong direction: block out, nothing written
    RawPipeClient raw(pipeName);
    ASSERT_TRUE(raw.send(request(code::kWriteCommon, 1, 0, 16, 1)));
    bool ok = false;
    EXPECT_EQ(raw.receive(64, &ok), std::vector<uint8_t>(16, 0));
    EXPECT_EQ(raw.reply().status, status::kMissingData);
  }
  {  // unknown code: the announced block still comes, then 0x20000005
    RawPipeClient raw(pipeName);
    ASSERT_TRUE(raw.send(request(0x53430099, 1, 0, 24, 1)));
    EXPECT_EQ(raw.receive(64).size(), 24u);
    EXPECT_EQ(raw.reply().status, status::kUnknownRequest);
  }
  {  // a read with count 0: answered at once, no block
    RawPipeClient raw(pipeName);
    ASSERT_TRUE(raw.send(request(code::kReadCommon, 1, 0, 16, 0)));
    EXPECT_EQ(raw.reply().status, status::kMissingData);
  }
}

}  // namespace zrb2x::service::test
