// Loads FFmpeg's libraries by the versioned names the build was made
// against (libavcodec.so.59 and so on), the first time a QuickTime image
// needs them: a conversion without such an image never maps them, and
// starts as fast and as small as a filter that knows nothing of them.
#include "image/codec_loader.h"

#include <dlfcn.h>

#include <string>

const char *const kCodecLibraryNames[kCodecLibraryCount] = {
    PICTTOTOV_AVUTIL_SONAME, PICTTOTOV_SWSCALE_SONAME,
    PICTTOTOV_AVCODEC_SONAME};

namespace {

enum class LoadState { kNotTried, kLoaded, kFailed };

// Process-wide: the libraries stay mapped once loaded.
struct LoaderState {
  LoadState state = LoadState::kNotTried;
  const char *missing = nullptr;
  std::string folder;  // empty: the dynamic linker's search
  void *handles[kCodecLibraryCount] = {};
  CodecLibrary library{};
};
LoaderState loader;

// Resolves `name` in the library loaded at `index` into *function; a
// function that isn't there counts against its library.
template <typename Function>
bool resolve(int index, const char *name, Function *function) {
  *function = reinterpret_cast<Function>(dlsym(loader.handles[index], name));
  if (*function == nullptr && loader.missing == nullptr)
    loader.missing = kCodecLibraryNames[index];
  return *function != nullptr;
}

constexpr int kAvutil = 0, kSwscale = 1, kAvcodec = 2;

bool resolveAll() {
  CodecLibrary &l = loader.library;
  return resolve(kAvutil, "av_log_set_level", &l.logSetLevel) &&
         resolve(kAvutil, "av_mallocz", &l.mallocz) &&
         resolve(kAvutil, "av_frame_alloc", &l.frameAlloc) &&
         resolve(kAvutil, "av_frame_free", &l.frameFree) &&
         resolve(kAvutil, "av_get_pix_fmt", &l.getPixelFormat) &&
         resolve(kAvutil, "av_pix_fmt_desc_get", &l.pixelFormatDescription) &&
         resolve(kAvcodec, "avcodec_find_decoder_by_name", &l.findDecoder) &&
         resolve(kAvcodec, "avcodec_alloc_context3", &l.allocContext) &&
         resolve(kAvcodec, "avcodec_free_context", &l.freeContext) &&
         resolve(kAvcodec, "avcodec_open2", &l.open) &&
         resolve(kAvcodec, "avcodec_send_packet", &l.sendPacket) &&
         resolve(kAvcodec, "avcodec_receive_frame", &l.receiveFrame) &&
         resolve(kAvcodec, "av_packet_alloc", &l.packetAlloc) &&
         resolve(kAvcodec, "av_packet_free", &l.packetFree) &&
         resolve(kAvcodec, "av_packet_new_side_data", &l.packetNewSideData) &&
         resolve(kSwscale, "sws_getCachedContext", &l.scalerContext) &&
         resolve(kSwscale, "sws_scale", &l.scale) &&
         resolve(kSwscale, "sws_freeContext", &l.freeScaler);
}

bool loadAll() {
  loader.missing = nullptr;
  bool loaded = true;
  for (int i = 0; i < kCodecLibraryCount && loaded; ++i) {
    std::string path = kCodecLibraryNames[i];
    if (!loader.folder.empty()) path = loader.folder + "/" + path;
    loader.handles[i] = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (loader.handles[i] == nullptr) {
      loader.missing = kCodecLibraryNames[i];
      loaded = false;
    }
  }
  if (loaded && resolveAll()) return true;
  for (void *&handle : loader.handles) {
    if (handle != nullptr) dlclose(handle);
    handle = nullptr;
  }
  return false;
}

}  // namespace

const CodecLibrary *LoadCodecLibrary(const char **missing) {
  if (loader.state == LoadState::kNotTried) {
    loader.state = loadAll() ? LoadState::kLoaded : LoadState::kFailed;
    // The libraries print nothing: every message is the filter's own.
    if (loader.state == LoadState::kLoaded)
      loader.library.logSetLevel(AV_LOG_QUIET);
  }
  if (loader.state == LoadState::kLoaded) return &loader.library;
  *missing = loader.missing;
  return nullptr;
}

void SetCodecLibraryFolder(const char *folder) {
  loader.folder = folder != nullptr ? folder : "";
  if (loader.state == LoadState::kFailed) loader.state = LoadState::kNotTried;
}
