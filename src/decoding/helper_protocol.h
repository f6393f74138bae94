// The link between the viewer and a plug-in helper process: the frames that
// carry requests and replies over a byte stream, the few fields they hold,
// and the bookkeeping that matches each reply to the request it answers.
// Plain C++: the Win32 side only moves bytes and handles. A 32-bit viewer
// talks to 32-bit and 64-bit helpers alike: every field has a fixed width,
// and handles and memory sizes travel as 64-bit words.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace bex {

// What a request asks, and the kind of its reply (the same value).
enum class HelperCall : uint32_t {
  kLoadFolder = 1,  // folder, module names -> names of the usable ones
  kAsk = 2,         // file, modules to ask -> the first of them that reads it, or kNoModule
  kDecode = 3,      // module index, file, spare section, fit box -> picture or failure
};

constexpr uint32_t kNoModule = 0xFFFFFFFFu;

struct Frame {
  uint32_t id = 0;
  HelperCall call = HelperCall::kLoadFolder;
  std::string payload;
};

// Frames larger than this are no frames of ours: the stream is broken.
constexpr size_t kMaxPayloadBytes = 1u << 20;

// The frame as bytes: magic, id, call and payload length (little-endian
// 32-bit words), then the payload.
std::string EncodeFrame(const Frame& frame);

// Cuts a byte stream into frames, however the bytes arrive.
class FrameReader {
 public:
  void Feed(const char* bytes, size_t count);
  // The next complete frame, if one has arrived.
  std::optional<Frame> Next();
  // The stream holds something that is not a frame of ours; nothing more is
  // read from it.
  bool Broken() const { return broken_; }
  // Bytes of an unfinished frame are waiting: a writer that ends now died
  // in the middle of an answer.
  bool MidFrame() const { return !broken_ && !pending_.empty(); }

 private:
  std::string pending_;
  bool broken_ = false;
};

// Fields of a payload: 32-bit words, 64-bit words and counted texts, in a
// fixed order per call.
class PayloadWriter {
 public:
  PayloadWriter& Word(uint32_t value);
  PayloadWriter& Wide(uint64_t value);
  PayloadWriter& Text(const std::string& text);
  const std::string& Bytes() const { return bytes_; }

 private:
  std::string bytes_;
};

// Reads the fields back; a payload that ends early or runs on fails.
class PayloadReader {
 public:
  explicit PayloadReader(const std::string& bytes) : bytes_(bytes) {}
  std::optional<uint32_t> Word();
  std::optional<uint64_t> Wide();
  std::optional<std::string> Text();
  // Every byte was read.
  bool AtEnd() const { return at_ == bytes_.size(); }

 private:
  const std::string& bytes_;
  size_t at_ = 0;
};

// A decoded picture as the helper hands it over: its size and where its
// pixels lie (the helper's handle of a section, a value only the Win32 side
// interprets).
struct PictureReply {
  bool decoded = false;
  uint32_t width = 0;
  uint32_t height = 0;
  uint64_t pixels = 0;
  // The whole picture's size, which a reduced one stands for.
  uint32_t wholeWidth = 0;
  uint32_t wholeHeight = 0;
};

// The box a picture will be shown shrunk to fit into: its decode may come
// reduced as far as it still covers that fit, from a module that can (our
// plug-in's own export); 0 x 0 asks for the whole picture. A part box is
// one the picture will be shown in at 100 % from its top left: its decode
// may come as that part alone first.
struct FitBox {
  uint32_t width = 0;
  uint32_t height = 0;
  bool part = false;
  bool Given() const { return width > 0 && height > 0; }
};

// The payloads of each call. Files and folders are full paths in UTF-8 of
// the wide path, which it holds unchanged; so are the modules' names. Every
// reply ends with the helper's committed memory in MiB, so that the viewer
// can replace a helper that grows.
// modules: the file names of the folder's modules to load, in the order
// that decides which module reads a file.
std::string LoadFolderRequest(const std::string& folder, const std::vector<std::string>& modules);
// Asks the modules firstModule, firstModule + 1, ... (moduleCount of them,
// as far as there are) in turn.
constexpr uint32_t kEveryModule = 0xFFFFFFFFu;
std::string AskRequest(const std::string& file, uint32_t firstModule = 0,
                       uint32_t moduleCount = kEveryModule);
// spare: a section of the viewer's that the helper may write the picture
// into when it holds spareBytes or more (0: none), so that memory the viewer
// has let go of serves again; the helper closes it otherwise.
std::string DecodeRequest(uint32_t module, const std::string& file, uint64_t spare = 0,
                          uint64_t spareBytes = 0, FitBox fit = {});

struct LoadFolderArgs {
  std::string folder;
  std::vector<std::string> modules;
};
struct AskArgs {
  std::string file;
  uint32_t firstModule = 0;
  uint32_t moduleCount = kEveryModule;
};
struct DecodeArgs {
  uint32_t module = 0;
  std::string file;
  uint64_t spare = 0;
  uint64_t spareBytes = 0;
  FitBox fit;
};
std::optional<LoadFolderArgs> ReadLoadFolderRequest(const std::string& payload);
std::optional<AskArgs> ReadAskRequest(const std::string& payload);
std::optional<DecodeArgs> ReadDecodeRequest(const std::string& payload);

std::string ModulesReply(const std::vector<std::string>& names, uint32_t memoryMiB);
std::string ChoiceReply(uint32_t module, uint32_t memoryMiB);
std::string PictureReplyPayload(const PictureReply& picture, uint32_t memoryMiB);

// A reply's content with the helper's memory after the call.
template <typename Content>
struct Answer {
  Content content;
  uint32_t memoryMiB = 0;
};
std::optional<Answer<std::vector<std::string>>> ReadModulesReply(const std::string& payload);
std::optional<Answer<uint32_t>> ReadChoiceReply(const std::string& payload);
std::optional<Answer<PictureReply>> ReadPictureReply(const std::string& payload);

// The viewer's side of one helper: which requests are waiting for their
// reply. A call that fails in any way ends the helper, so every reply answers
// the oldest request; a reply nobody asked for, or of another call than asked,
// means the helper is not to be trusted any more.
class RequestLedger {
 public:
  // Records a new request and returns its id.
  uint32_t Start(HelperCall call);
  // True when reply answers the oldest request, which it settles; false for a
  // reply nobody asked for.
  bool Settle(const Frame& reply);
  // Requests sent and not yet settled.
  size_t Outstanding() const { return requests_.size(); }
  // The helper was replaced: nothing it was asked will be answered.
  void Forget() { requests_.clear(); }

 private:
  struct Request {
    uint32_t id;
    HelperCall call;
  };
  std::deque<Request> requests_;
  uint32_t nextId_ = 1;
};

}  // namespace bex
