// Feeds arbitrary bytes, as a plug-in helper taken over by a module might
// write them, to the viewer's reading of the helper's replies: frames cut at
// every point, every payload reader, and the ledger that matches replies to
// requests. Whatever is read must encode back to the same bytes, and nothing
// may crash.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "decoding/helper_protocol.h"

namespace bex {
namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

void ReadEveryWay(const Frame& frame) {
  ReadLoadFolderRequest(frame.payload);
  ReadAskRequest(frame.payload);
  ReadDecodeRequest(frame.payload);
  if (const auto modules = ReadModulesReply(frame.payload)) {
    Require(ModulesReply(modules->content, modules->memoryMiB) == frame.payload);
  }
  if (const auto choice = ReadChoiceReply(frame.payload)) {
    Require(ChoiceReply(choice->content, choice->memoryMiB) == frame.payload);
  }
  if (const auto picture = ReadPictureReply(frame.payload)) {
    Require(PictureReplyPayload(picture->content, picture->memoryMiB) == frame.payload);
  }
}

}  // namespace
}  // namespace bex

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace bex;
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  // The first byte says how the stream arrives: in pieces of 1 to 256 bytes.
  const size_t piece = size ? size_t{data[0]} + 1 : 1;
  FrameReader reader;
  RequestLedger ledger;
  for (int i = 0; i < 3; ++i) ledger.Start(static_cast<HelperCall>(1 + i));
  std::string echoed;
  for (size_t at = 0; at < bytes.size(); at += piece) {
    reader.Feed(bytes.data() + at, std::min(piece, bytes.size() - at));
    while (const std::optional<Frame> frame = reader.Next()) {
      Require(frame->payload.size() <= kMaxPayloadBytes);
      echoed += EncodeFrame(*frame);
      ReadEveryWay(*frame);
      ledger.Settle(*frame);
    }
  }
  // Frames read from the start of the stream are the stream's own bytes.
  Require(bytes.compare(0, echoed.size(), echoed) == 0);
  return 0;
}
