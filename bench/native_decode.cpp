// Times the codec libraries natively, built against Debian's own packages, on
// the file the plug-in is timed on under Wine (tools/codecbench.sh): HEIC and
// AVIF through libheif to interleaved RGB, JPEG XL through libjxl to RGB on
// its thread runner, WebP through libwebp to BGRA with threaded filtering.
// Prints each run's milliseconds, then the fastest, the median and the
// slowest.
//   native_decode <file> [runs]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <jxl/decode.h>
#include <jxl/thread_parallel_runner.h>
#include <libheif/heif.h>
#include <string>
#include <vector>
#include <webp/decode.h>

namespace {

using Bytes = std::vector<uint8_t>;

bool DecodeHeif(const Bytes& data) {
  heif_context* context = heif_context_alloc();
  heif_image_handle* handle = nullptr;
  heif_image* image = nullptr;
  bool ok =
      heif_context_read_from_memory_without_copy(context, data.data(), data.size(), nullptr).code ==
          heif_error_Ok &&
      heif_context_get_primary_image_handle(context, &handle).code == heif_error_Ok &&
      heif_decode_image(handle, &image, heif_colorspace_RGB, heif_chroma_interleaved_RGB, nullptr)
              .code == heif_error_Ok;
  heif_image_release(image);
  heif_image_handle_release(handle);
  heif_context_free(context);
  return ok;
}

bool DecodeJxl(const Bytes& data) {
  JxlDecoder* decoder = JxlDecoderCreate(nullptr);
  void* runner =
      JxlThreadParallelRunnerCreate(nullptr, JxlThreadParallelRunnerDefaultNumWorkerThreads());
  JxlDecoderSetParallelRunner(decoder, JxlThreadParallelRunner, runner);
  JxlDecoderSubscribeEvents(decoder, JXL_DEC_FULL_IMAGE);
  JxlDecoderSetInput(decoder, data.data(), data.size());
  JxlDecoderCloseInput(decoder);
  const JxlPixelFormat format{3, JXL_TYPE_UINT8, JXL_NATIVE_ENDIAN, 0};
  Bytes pixels;
  bool ok = false;
  for (;;) {
    const JxlDecoderStatus status = JxlDecoderProcessInput(decoder);
    if (status == JXL_DEC_NEED_IMAGE_OUT_BUFFER) {
      size_t size = 0;
      JxlDecoderImageOutBufferSize(decoder, &format, &size);
      pixels.resize(size);
      JxlDecoderSetImageOutBuffer(decoder, &format, pixels.data(), size);
    } else {
      ok = status == JXL_DEC_FULL_IMAGE;
      break;
    }
  }
  JxlThreadParallelRunnerDestroy(runner);
  JxlDecoderDestroy(decoder);
  return ok;
}

bool DecodeWebp(const Bytes& data) {
  WebPDecoderConfig config;
  if (!WebPInitDecoderConfig(&config)) return false;
  config.options.use_threads = 1;
  config.output.colorspace = MODE_BGRA;
  const bool ok = WebPDecode(data.data(), data.size(), &config) == VP8_STATUS_OK;
  WebPFreeDecBuffer(&config.output);
  return ok;
}

bool EndsWith(const std::string& s, const std::string& end) {
  return s.size() >= end.size() && s.compare(s.size() - end.size(), end.size(), end) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::printf("usage: native_decode <file> [runs]\n");
    return 2;
  }
  const std::string path = argv[1];
  std::ifstream file(path, std::ios::binary);
  const Bytes data{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  bool (*decode)(const Bytes&) = EndsWith(path, ".jxl")    ? DecodeJxl
                                 : EndsWith(path, ".webp") ? DecodeWebp
                                                           : DecodeHeif;
  const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
  std::vector<double> ms;
  for (int i = 0; i < runs; ++i) {
    const auto start = std::chrono::steady_clock::now();
    if (!decode(data)) {
      std::printf("cannot decode %s\n", argv[1]);
      return 1;
    }
    ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                     .count());
    std::printf("run %d: %.1f ms\n", i + 1, ms.back());
  }
  std::sort(ms.begin(), ms.end());
  std::printf("min %.1f median %.1f max %.1f ms\n", ms.front(), ms[ms.size() / 2], ms.back());
  return 0;
}
