#include "decoding/helper_protocol.h"

#include <gtest/gtest.h>

namespace bex {
namespace {

Frame MakeFrame(uint32_t id, HelperCall call, std::string payload) {
  Frame frame;
  frame.id = id;
  frame.call = call;
  frame.payload = std::move(payload);
  return frame;
}

TEST(HelperFrames, ArriveWholeHoweverTheBytesAreCut) {
  const std::string bytes =
      EncodeFrame(MakeFrame(7, HelperCall::kAsk, AskRequest("C:\\pics\\表.jpg"))) +
      EncodeFrame(MakeFrame(8, HelperCall::kDecode,
                            DecodeRequest(2, "C:\\pics\\b.png", 0x1C, 4096, {984, 761, true})));
  for (size_t cut = 1; cut <= bytes.size(); ++cut) {
    FrameReader reader;
    std::vector<Frame> frames;
    for (size_t at = 0; at < bytes.size(); at += cut) {
      reader.Feed(bytes.data() + at, std::min(cut, bytes.size() - at));
      while (std::optional<Frame> frame = reader.Next()) frames.push_back(*frame);
    }
    ASSERT_EQ(frames.size(), 2u) << "cut " << cut;
    EXPECT_EQ(frames[0].id, 7u);
    EXPECT_EQ(frames[0].call, HelperCall::kAsk);
    EXPECT_EQ(ReadAskRequest(frames[0].payload)->file, "C:\\pics\\表.jpg");
    const std::optional<DecodeArgs> decode = ReadDecodeRequest(frames[1].payload);
    ASSERT_TRUE(decode);
    EXPECT_EQ(decode->module, 2u);
    EXPECT_EQ(decode->file, "C:\\pics\\b.png");
    EXPECT_EQ(decode->spare, 0x1Cu);
    EXPECT_EQ(decode->spareBytes, 4096u);
    EXPECT_EQ(decode->fit.width, 984u);
    EXPECT_EQ(decode->fit.height, 761u);
    EXPECT_TRUE(decode->fit.part);
    EXPECT_FALSE(reader.MidFrame());
  }
}

TEST(HelperFrames, AnAnswerCutOffByTheWritersDeathIsSeen) {
  const std::string bytes =
      EncodeFrame(MakeFrame(1, HelperCall::kLoadFolder, ModulesReply({"a.spi", "b.spi"}, 12)));
  for (size_t kept = 1; kept < bytes.size(); ++kept) {
    FrameReader reader;
    reader.Feed(bytes.data(), kept);
    EXPECT_FALSE(reader.Next()) << kept;
    EXPECT_TRUE(reader.MidFrame()) << kept;
  }
}

TEST(HelperFrames, BytesThatAreNoFrameBreakTheStream) {
  const std::string good = EncodeFrame(MakeFrame(1, HelperCall::kAsk, ChoiceReply(0, 1)));
  std::string badMagic = good;
  badMagic[0] = 'X';
  std::string badCall = good;
  badCall[8] = 9;
  std::string tooLong = good;
  tooLong[15] = 0x7F;  // a payload of about 2 GiB
  for (const std::string& bytes : {badMagic, badCall, tooLong}) {
    FrameReader reader;
    reader.Feed(bytes.data(), bytes.size());
    EXPECT_FALSE(reader.Next());
    EXPECT_TRUE(reader.Broken());
    reader.Feed(good.data(), good.size());
    EXPECT_FALSE(reader.Next()) << "nothing is read after a break";
  }
}

TEST(HelperPayloads, RoundTripAndRefuseShortOrOverlongPayloads) {
  const std::optional<Answer<std::vector<std::string>>> modules =
      ReadModulesReply(ModulesReply({"a.spi", "", "c.spi"}, 300));
  ASSERT_TRUE(modules);
  EXPECT_EQ(modules->content, (std::vector<std::string>{"a.spi", "", "c.spi"}));
  EXPECT_EQ(modules->memoryMiB, 300u);

  const std::optional<Answer<PictureReply>> picture =
      ReadPictureReply(PictureReplyPayload({true, 750, 500, 0x1234, 6000, 4000}, 40));
  ASSERT_TRUE(picture);
  EXPECT_TRUE(picture->content.decoded);
  EXPECT_EQ(picture->content.width, 750u);
  EXPECT_EQ(picture->content.height, 500u);
  EXPECT_EQ(picture->content.pixels, 0x1234u);
  EXPECT_EQ(picture->content.wholeWidth, 6000u);
  EXPECT_EQ(picture->content.wholeHeight, 4000u);
  EXPECT_EQ(picture->memoryMiB, 40u);

  const std::string choice = ChoiceReply(kNoModule, 5);
  EXPECT_EQ(ReadChoiceReply(choice)->content, kNoModule);
  EXPECT_FALSE(ReadChoiceReply(choice.substr(0, choice.size() - 1)));
  EXPECT_FALSE(ReadChoiceReply(choice + "x"));
  // A count of names larger than the payload holds.
  EXPECT_FALSE(ReadModulesReply(PayloadWriter().Word(1000).Word(1).Bytes()));
  EXPECT_FALSE(ReadLoadFolderRequest(PayloadWriter().Word(50).Bytes()));
  EXPECT_FALSE(ReadPictureReply(PictureReplyPayload({}, 0).replace(0, 1, "\x02")));
}

TEST(HelperPayloads, LoadAndAskCarryTheModulesMeant) {
  const std::optional<LoadFolderArgs> load =
      ReadLoadFolderRequest(LoadFolderRequest("C:\\plugins", {"a.spi", "b.spi"}));
  ASSERT_TRUE(load);
  EXPECT_EQ(load->folder, "C:\\plugins");
  EXPECT_EQ(load->modules, (std::vector<std::string>{"a.spi", "b.spi"}));
  const std::optional<AskArgs> ask = ReadAskRequest(AskRequest("C:\\a.jpg", 2, 3));
  ASSERT_TRUE(ask);
  EXPECT_EQ(ask->firstModule, 2u);
  EXPECT_EQ(ask->moduleCount, 3u);
  EXPECT_EQ(ReadAskRequest(AskRequest("C:\\a.jpg"))->moduleCount, kEveryModule);
}

// A 32-bit viewer and a 64-bit helper (or the other way round) read each
// other's handles and sizes: they travel as 64-bit little-endian words,
// whatever the width of the process's own pointers (this test runs 64-bit).
TEST(HelperPayloads, HandlesAndSizesHaveTheSameBytesInEveryProcess) {
  const uint64_t handle = 0xFFFFFFFFFFFFFFFEull;  // a handle value as a 64-bit process widens it
  const uint64_t fiveGiB = 5ull << 30;
  const std::string decode = DecodeRequest(1, "f", handle, fiveGiB);
  EXPECT_EQ(decode, std::string("\x01\0\0\0"
                                "\x01\0\0\0f"
                                "\xFE\xFF\xFF\xFF\xFF\xFF\xFF\xFF"
                                "\0\0\0\x40\x01\0\0\0"
                                "\0\0\0\0\0\0\0\0\0\0\0\0",
                                37));
  const std::optional<DecodeArgs> args = ReadDecodeRequest(decode);
  ASSERT_TRUE(args);
  EXPECT_EQ(args->spare, handle);
  EXPECT_EQ(args->spareBytes, fiveGiB);

  const std::string reply = PictureReplyPayload({true, 6000, 4000, 0x123456789Aull}, 7);
  EXPECT_EQ(reply.size(), 4u + 4 + 4 + 8 + 4 + 4 + 4);
  EXPECT_EQ(reply.substr(12, 8), std::string("\x9A\x78\x56\x34\x12\0\0\0", 8));
  EXPECT_EQ(ReadPictureReply(reply)->content.pixels, 0x123456789Aull);
  // A reply of the old form, with a 32-bit handle, is refused.
  EXPECT_FALSE(
      ReadPictureReply(PayloadWriter().Word(1).Word(6000).Word(4000).Word(0x1C).Word(7).Bytes()));
}

TEST(HelperLedger, RepliesSettleTheirRequestsInOrder) {
  RequestLedger ledger;
  const uint32_t load = ledger.Start(HelperCall::kLoadFolder);
  const uint32_t ask = ledger.Start(HelperCall::kAsk);
  EXPECT_NE(load, ask);
  EXPECT_TRUE(ledger.Settle(MakeFrame(load, HelperCall::kLoadFolder, "")));
  EXPECT_EQ(ledger.Outstanding(), 1u);
  EXPECT_TRUE(ledger.Settle(MakeFrame(ask, HelperCall::kAsk, "")));
  EXPECT_EQ(ledger.Outstanding(), 0u);
}

TEST(HelperLedger, RepliesNobodyAskedForAreUnexpected) {
  RequestLedger ledger;
  EXPECT_FALSE(ledger.Settle(MakeFrame(1, HelperCall::kAsk, "")));
  const uint32_t first = ledger.Start(HelperCall::kAsk);
  const uint32_t second = ledger.Start(HelperCall::kAsk);
  EXPECT_FALSE(ledger.Settle(MakeFrame(second, HelperCall::kAsk, ""))) << "answered out of order";
  EXPECT_FALSE(ledger.Settle(MakeFrame(first, HelperCall::kDecode, ""))) << "answered another call";
  EXPECT_EQ(ledger.Outstanding(), 2u);
  ledger.Forget();
  EXPECT_EQ(ledger.Outstanding(), 0u);
}

}  // namespace
}  // namespace bex
