#include "decoding/helper_protocol.h"

namespace bex {
namespace {

constexpr uint32_t kFrameMagic = 0x31584542;  // "BEX1"
constexpr size_t kHeaderBytes = 16;

// Little-endian words of `size` bytes.
void AppendBytesOf(std::string& bytes, uint64_t value, int size) {
  for (int i = 0; i < size; ++i) bytes.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

uint64_t BytesAt(const std::string& bytes, size_t at, int size) {
  uint64_t value = 0;
  for (int i = size - 1; i >= 0; --i) {
    value = value << 8 | static_cast<unsigned char>(bytes[at + static_cast<size_t>(i)]);
  }
  return value;
}

void AppendWord(std::string& bytes, uint32_t value) { AppendBytesOf(bytes, value, 4); }

uint32_t WordAt(const std::string& bytes, size_t at) {
  return static_cast<uint32_t>(BytesAt(bytes, at, 4));
}

std::optional<std::vector<std::string>> ReadTexts(PayloadReader& r) {
  const std::optional<uint32_t> count = r.Word();
  if (!count) return std::nullopt;
  std::vector<std::string> texts;
  for (uint32_t i = 0; i < *count; ++i) {
    std::optional<std::string> text = r.Text();
    if (!text) return std::nullopt;
    texts.push_back(std::move(*text));
  }
  return texts;
}

void WriteTexts(PayloadWriter& writer, const std::vector<std::string>& texts) {
  writer.Word(static_cast<uint32_t>(texts.size()));
  for (const std::string& text : texts) writer.Text(text);
}

bool IsKnownCall(uint32_t call) {
  return call >= static_cast<uint32_t>(HelperCall::kLoadFolder) &&
         call <= static_cast<uint32_t>(HelperCall::kDecode);
}

// A whole payload of fields followed by nothing else, or none.
template <typename Parse>
auto ReadWhole(const std::string& payload, Parse parse)
    -> decltype(parse(std::declval<PayloadReader&>())) {
  PayloadReader reader(payload);
  auto result = parse(reader);
  if (!result || !reader.AtEnd()) return std::nullopt;
  return result;
}

template <typename Content, typename ReadContent>
std::optional<Answer<Content>> ReadAnswer(const std::string& payload, ReadContent readContent) {
  return ReadWhole(payload, [&](PayloadReader& r) -> std::optional<Answer<Content>> {
    std::optional<Content> content = readContent(r);
    if (!content) return std::nullopt;
    const std::optional<uint32_t> memory = r.Word();
    if (!memory) return std::nullopt;
    return Answer<Content>{std::move(*content), *memory};
  });
}

}  // namespace

std::string EncodeFrame(const Frame& frame) {
  std::string bytes;
  bytes.reserve(kHeaderBytes + frame.payload.size());
  AppendWord(bytes, kFrameMagic);
  AppendWord(bytes, frame.id);
  AppendWord(bytes, static_cast<uint32_t>(frame.call));
  AppendWord(bytes, static_cast<uint32_t>(frame.payload.size()));
  bytes += frame.payload;
  return bytes;
}

void FrameReader::Feed(const char* bytes, size_t count) {
  if (!broken_) pending_.append(bytes, count);
}

std::optional<Frame> FrameReader::Next() {
  if (broken_ || pending_.size() < kHeaderBytes) return std::nullopt;
  const uint32_t length = WordAt(pending_, 12);
  if (WordAt(pending_, 0) != kFrameMagic || !IsKnownCall(WordAt(pending_, 8)) ||
      length > kMaxPayloadBytes) {
    broken_ = true;
    pending_.clear();
    return std::nullopt;
  }
  if (pending_.size() < kHeaderBytes + length) return std::nullopt;
  Frame frame;
  frame.id = WordAt(pending_, 4);
  frame.call = static_cast<HelperCall>(WordAt(pending_, 8));
  frame.payload = pending_.substr(kHeaderBytes, length);
  pending_.erase(0, kHeaderBytes + length);
  return frame;
}

PayloadWriter& PayloadWriter::Word(uint32_t value) {
  AppendWord(bytes_, value);
  return *this;
}

PayloadWriter& PayloadWriter::Wide(uint64_t value) {
  AppendBytesOf(bytes_, value, 8);
  return *this;
}

PayloadWriter& PayloadWriter::Text(const std::string& text) {
  Word(static_cast<uint32_t>(text.size()));
  bytes_ += text;
  return *this;
}

std::optional<uint32_t> PayloadReader::Word() {
  if (bytes_.size() - at_ < 4) return std::nullopt;
  const uint32_t value = WordAt(bytes_, at_);
  at_ += 4;
  return value;
}

std::optional<uint64_t> PayloadReader::Wide() {
  if (bytes_.size() - at_ < 8) return std::nullopt;
  const uint64_t value = BytesAt(bytes_, at_, 8);
  at_ += 8;
  return value;
}

std::optional<std::string> PayloadReader::Text() {
  const std::optional<uint32_t> length = Word();
  if (!length || bytes_.size() - at_ < *length) return std::nullopt;
  std::string text = bytes_.substr(at_, *length);
  at_ += *length;
  return text;
}

std::string LoadFolderRequest(const std::string& folder, const std::vector<std::string>& modules) {
  PayloadWriter writer;
  writer.Text(folder);
  WriteTexts(writer, modules);
  return writer.Bytes();
}

std::string AskRequest(const std::string& file, uint32_t firstModule, uint32_t moduleCount) {
  return PayloadWriter().Text(file).Word(firstModule).Word(moduleCount).Bytes();
}

std::string DecodeRequest(uint32_t module, const std::string& file, uint64_t spare,
                          uint64_t spareBytes, FitBox fit) {
  return PayloadWriter()
      .Word(module)
      .Text(file)
      .Wide(spare)
      .Wide(spareBytes)
      .Word(fit.width)
      .Word(fit.height)
      .Word(fit.part ? 1 : 0)
      .Bytes();
}

std::optional<LoadFolderArgs> ReadLoadFolderRequest(const std::string& payload) {
  return ReadWhole(payload, [](PayloadReader& r) -> std::optional<LoadFolderArgs> {
    std::optional<std::string> folder = r.Text();
    if (!folder) return std::nullopt;
    std::optional<std::vector<std::string>> modules = ReadTexts(r);
    if (!modules) return std::nullopt;
    return LoadFolderArgs{std::move(*folder), std::move(*modules)};
  });
}

std::optional<AskArgs> ReadAskRequest(const std::string& payload) {
  return ReadWhole(payload, [](PayloadReader& r) -> std::optional<AskArgs> {
    std::optional<std::string> file = r.Text();
    const std::optional<uint32_t> first = r.Word();
    const std::optional<uint32_t> count = r.Word();
    if (!file || !first || !count) return std::nullopt;
    return AskArgs{std::move(*file), *first, *count};
  });
}

std::optional<DecodeArgs> ReadDecodeRequest(const std::string& payload) {
  return ReadWhole(payload, [](PayloadReader& r) -> std::optional<DecodeArgs> {
    const std::optional<uint32_t> module = r.Word();
    std::optional<std::string> file = r.Text();
    const std::optional<uint64_t> spare = r.Wide();
    const std::optional<uint64_t> spareBytes = r.Wide();
    const std::optional<uint32_t> fitWidth = r.Word();
    const std::optional<uint32_t> fitHeight = r.Word();
    const std::optional<uint32_t> part = r.Word();
    if (!module || !file || !spare || !spareBytes || !fitWidth || !fitHeight || !part) {
      return std::nullopt;
    }
    return DecodeArgs{
        *module, std::move(*file), *spare, *spareBytes, {*fitWidth, *fitHeight, *part != 0}};
  });
}

std::string ModulesReply(const std::vector<std::string>& names, uint32_t memoryMiB) {
  PayloadWriter writer;
  WriteTexts(writer, names);
  return writer.Word(memoryMiB).Bytes();
}

std::string ChoiceReply(uint32_t module, uint32_t memoryMiB) {
  return PayloadWriter().Word(module).Word(memoryMiB).Bytes();
}

std::string PictureReplyPayload(const PictureReply& picture, uint32_t memoryMiB) {
  return PayloadWriter()
      .Word(picture.decoded ? 1 : 0)
      .Word(picture.width)
      .Word(picture.height)
      .Wide(picture.pixels)
      .Word(picture.wholeWidth)
      .Word(picture.wholeHeight)
      .Word(memoryMiB)
      .Bytes();
}

std::optional<Answer<std::vector<std::string>>> ReadModulesReply(const std::string& payload) {
  return ReadAnswer<std::vector<std::string>>(payload, ReadTexts);
}

std::optional<Answer<uint32_t>> ReadChoiceReply(const std::string& payload) {
  return ReadAnswer<uint32_t>(payload, [](PayloadReader& r) { return r.Word(); });
}

std::optional<Answer<PictureReply>> ReadPictureReply(const std::string& payload) {
  return ReadAnswer<PictureReply>(payload, [](PayloadReader& r) -> std::optional<PictureReply> {
    const std::optional<uint32_t> decoded = r.Word();
    const std::optional<uint32_t> width = r.Word();
    const std::optional<uint32_t> height = r.Word();
    const std::optional<uint64_t> pixels = r.Wide();
    const std::optional<uint32_t> wholeWidth = r.Word();
    const std::optional<uint32_t> wholeHeight = r.Word();
    if (!decoded || !width || !height || !pixels || !wholeWidth || !wholeHeight || *decoded > 1) {
      return std::nullopt;
    }
    return PictureReply{*decoded == 1, *width, *height, *pixels, *wholeWidth, *wholeHeight};
  });
}

uint32_t RequestLedger::Start(HelperCall call) {
  const uint32_t id = nextId_++;
  if (nextId_ == 0) nextId_ = 1;
  requests_.push_back({id, call});
  return id;
}

// The helper answers in the order it was asked: a reply settles the oldest
// request or none.
bool RequestLedger::Settle(const Frame& reply) {
  if (requests_.empty()) return false;
  const Request& oldest = requests_.front();
  if (oldest.id != reply.id || oldest.call != reply.call) return false;
  requests_.pop_front();
  return true;
}

}  // namespace bex
