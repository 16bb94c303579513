#include "world/database/sha256.h"

#include <gtest/gtest.h>

#include <string>

namespace orvantis {
namespace {

// The FIPS 180-4 examples, and a message fed in uneven pieces across block boundaries.
TEST(Sha256, PublishedDigests) {
  EXPECT_EQ(toHex(TSha256::of("")),
            "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  EXPECT_EQ(toHex(TSha256::of("abc")),
            "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  EXPECT_EQ(toHex(TSha256::of("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq")),
            "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");

  const std::string million(1000000, 'a');
  TSha256 pieces;
  for (std::size_t at = 0, step = 1; at < million.size(); at += step, step = step % 97 + 13) {
    pieces.update(million.data() + at, std::min(step, million.size() - at));
  }
  EXPECT_EQ(toHex(pieces.finish()),
            "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
  // finish() leaves the object ready for a new message.
  pieces.update("abc");
  EXPECT_EQ(toHex(pieces.finish()), toHex(TSha256::of("abc")));
}

}  // namespace
}  // namespace orvantis
