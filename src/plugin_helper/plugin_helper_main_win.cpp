// The plug-in helper process (bexspi.exe, and bexspi64.exe built from the
// same source for 64-bit modules): started by the viewer for one decoder
// slot, it loads the plug-in modules, asks them about files and has
// them decode, answering over the pipe it was given. A decoded picture is
// written into a section of shared memory that the viewer maps as its bitmap.
// Whatever a module does to this process costs the viewer only the answer.
//
// Command line: <pipe handle> <viewer process handle>, both inherited.
#include <windows.h>

#include <cstdlib>
#include <string>
#include <utility>

#include "common/files_win.h"
#include "common/memory_win.h"
#include "common/start_trace_win.h"
#include "common/wide_text.h"
#include "decoding/helper_protocol.h"
#include "decoding/plugin_helper_win.h"
#include "decoding/spi_host_win.h"

namespace bex {
namespace {

// A crash of a module ends the process at once: no error box, no debugger.
LONG WINAPI EndOnCrash(EXCEPTION_POINTERS* exception) {
  TerminateProcess(GetCurrentProcess(), exception->ExceptionRecord->ExceptionCode);
  return EXCEPTION_EXECUTE_HANDLER;
}

// Ends this process when the viewer is gone, even while a module hangs.
DWORD WINAPI WatchViewer(void* viewer) {
  WaitForSingleObject(static_cast<HANDLE>(viewer), INFINITE);
  TerminateProcess(GetCurrentProcess(), 0);
  return 0;
}

class Server {
 public:
  explicit Server(HANDLE pipe) : pipe_(pipe) {}

  // Answers requests until the pipe breaks or a request is no request.
  void Run() {
    for (;;) {
      std::optional<Frame> request = NextRequest();
      if (!request) return;
      std::optional<std::string> reply = Answer(*request);
      if (!reply || !Send({request->id, request->call, std::move(*reply)})) return;
    }
  }

 private:
  std::optional<Frame> NextRequest() {
    for (;;) {
      if (std::optional<Frame> frame = reader_.Next()) return frame;
      char bytes[4096];
      DWORD count = 0;
      if (reader_.Broken() || !ReadFile(pipe_, bytes, sizeof bytes, &count, nullptr) ||
          count == 0) {
        return std::nullopt;
      }
      reader_.Feed(bytes, count);
    }
  }

  bool Send(const Frame& frame) {
    const std::string bytes = EncodeFrame(frame);
    DWORD written = 0;
    return WriteFile(pipe_, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
  }

  std::optional<std::string> Answer(const Frame& request) {
    switch (request.call) {
      case HelperCall::kLoadFolder:
        if (const auto args = ReadLoadFolderRequest(request.payload)) return LoadFolder(*args);
        return std::nullopt;
      case HelperCall::kAsk:
        if (const auto args = ReadAskRequest(request.payload)) return Ask(*args);
        return std::nullopt;
      case HelperCall::kDecode:
        if (const auto args = ReadDecodeRequest(request.payload)) return Decode(*args);
        return std::nullopt;
    }
    return std::nullopt;
  }

  // Modules of which none is usable leave the modules as they were.
  std::string LoadFolder(const LoadFolderArgs& args) {
    std::vector<std::wstring> modules;
    for (const std::string& module : args.modules) modules.push_back(Utf8ToWide(module));
    PluginTable loaded = spi::LoadModules(Utf8ToWide(args.folder), modules);
    std::vector<std::string> names;
    for (const auto& plugin : loaded) names.push_back(plugin->name);
    if (!loaded.empty()) plugins_ = std::move(loaded);
    return ModulesReply(names, static_cast<uint32_t>(CommittedPrivateBytes() >> 20));
  }

  std::string Ask(const AskArgs& args) {
    const std::optional<size_t> reader =
        spi::FirstReader(plugins_, Utf8ToWide(args.file), args.firstModule, args.moduleCount);
    return ChoiceReply(reader ? static_cast<uint32_t>(*reader) : kNoModule,
                       static_cast<uint32_t>(CommittedPrivateBytes() >> 20));
  }

  // The picture's section goes to the viewer by a handle of this process,
  // which the viewer takes over and closes here. It is the viewer's spare
  // section when that is large enough: its memory is ready to be written.
  std::string Decode(const DecodeArgs& args) {
    HANDLE spare = HandleFromWire(args.spare);
    const auto make = [&](int width, int height) {
      const uint64_t bytes = uint64_t{static_cast<uint32_t>(width)} * uint32_t(height) * 4;
      if (!spare || args.spareBytes < bytes) return PictureSection::Create(width, height);
      return PictureSection::On(std::exchange(spare, nullptr), width, height);
    };
    // Refused, the reply keeps the size the module described, which tells
    // the viewer a picture too large from one that did not decode. A reduced
    // picture comes with the whole one's size.
    PictureReply reply;
    if (args.module < plugins_.size()) {
      SIZE described = {};
      const std::unique_ptr<PictureSection> picture =
          spi::Decode(*plugins_[args.module], Utf8ToWide(args.file), make, &described, args.fit);
      if (described.cx > 0 && described.cy > 0) {
        reply.width = reply.wholeWidth = static_cast<uint32_t>(described.cx);
        reply.height = reply.wholeHeight = static_cast<uint32_t>(described.cy);
      }
      HANDLE handed = nullptr;
      if (picture && DuplicateHandle(GetCurrentProcess(), picture->Section(), GetCurrentProcess(),
                                     &handed, 0, FALSE, DUPLICATE_SAME_ACCESS)) {
        reply.decoded = true;
        reply.width = static_cast<uint32_t>(picture->Width());
        reply.height = static_cast<uint32_t>(picture->Height());
        reply.pixels = HandleOnWire(handed);
      }
    }
    if (spare) CloseHandle(spare);
    return PictureReplyPayload(reply, static_cast<uint32_t>(CommittedPrivateBytes() >> 20));
  }

  HANDLE pipe_;
  FrameReader reader_;
  PluginTable plugins_;
};

HANDLE HandleArgument(const char* text) { return HandleFromWire(std::strtoull(text, nullptr, 10)); }

}  // namespace
}  // namespace bex

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  bex::NoteStartMoment("helper-up");
  bex::KeepCurrentFolderOutOfLibrarySearch();
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
  SetUnhandledExceptionFilter(bex::EndOnCrash);
  if (__argc < 3) return 2;
  HANDLE pipe = bex::HandleArgument(__argv[1]);
  HANDLE viewer = bex::HandleArgument(__argv[2]);
  // The viewer's job may be missing (a viewer already in a job on Windows 7):
  // then only this watch ends a helper whose viewer was killed. No watch, no helper.
  HANDLE watch = CreateThread(nullptr, 0, bex::WatchViewer, viewer, 0, nullptr);
  if (!watch) return 3;
  CloseHandle(watch);
  bex::Server(pipe).Run();
  // Modules are not unloaded: a module's own clean-up is one more chance to hang.
  TerminateProcess(GetCurrentProcess(), 0);
  return 0;
}
