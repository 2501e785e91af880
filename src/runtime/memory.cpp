// Size-limited heap allocation, the runtime's instance record, failure and
// exit.
#include <cstdlib>
#include <cstring>

#include "runtime/vok.h"

VokInstanceRecord *VokInstance = nullptr;

namespace {

// Ends the process for a request the runtime refuses to serve.
void checkSize(uint64_t size) {
  if (size > kVokMaxAlloc) VokFail();
}

void *failed(uint32_t flags) {
  if (flags & kVokExitOnFailure) VokFDSExit();
  return nullptr;
}

void defaultHandler() { V_Abort(); }

}  // namespace

void *V_Alloc(uint32_t size, uint32_t flags) {
  checkSize(size);
  void *block = std::malloc(size);
  return block ? block : failed(flags);
}

void *V_Calloc(uint32_t count, uint32_t size, uint32_t flags) {
  // The product is taken in 32 bits, as the runtime always has.
  uint32_t total = count * size;
  checkSize(total);
  void *block = std::calloc(1, total);
  return block ? block : failed(flags);
}

void *V_Realloc(void *block, uint32_t size, uint32_t flags) {
  if (block == nullptr) return V_Calloc(1, size, flags);
  checkSize(size);
  // realloc of 0 bytes may free the block and return null, which callers
  // would take for a failure that left the block valid: keep one byte.
  void *grown = std::realloc(block, size > 0 ? size : 1);
  return grown ? grown : failed(flags);
}

int VokFree(void **block) {
  if (block == nullptr || *block == nullptr) return -1;
  std::free(*block);
  *block = nullptr;
  return 0;
}

int V_CopyPtr(const void *source, void *destination, uint32_t size) {
  checkSize(size);
  if (source == nullptr || destination == nullptr) return -1;
  std::memmove(destination, source, size);
  return 0;
}

void V_Warning(const char *text) {
  if (text != nullptr) std::fputs(text, stderr);
}

void VokFail() {
  if (VokInstance != nullptr && VokInstance->failureHandler != nullptr &&
      VokInstance->failureHandler != defaultHandler)
    VokInstance->failureHandler();
  defaultHandler();
  std::abort();  // not reached: defaultHandler aborts
}

void VokFDSExit() {
  if (VokInstance != nullptr && VokInstance->exitHook != nullptr)
    VokInstance->exitHook();
  V_Abort();
}

// Output buffered so far is written out first, in the attached channels'
// buffers and in stdio's: what the filter wrote before the failure stays in
// the output file, as after V_Exit. (exit writes out stdio's buffers only,
// so V_Exit writes out the channels' itself.)
// The fuzz build converts many pictures in one process: there both endings
// return to the harness as a VokProcessEnd exception instead.
void V_Abort() {
  V_ChannelFlushAll();
  std::fflush(nullptr);
#ifdef PICTTOTOV_FUZZ_BUILD
  throw VokProcessEnd{kVokAbortStatus};
#else
  std::abort();
#endif
}

void V_Exit(int status) {
  V_ChannelFlushAll();
#ifdef PICTTOTOV_FUZZ_BUILD
  throw VokProcessEnd{status};
#else
  std::exit(status);
#endif
}

void VokInstanceInit() {
  if (VokInstance == nullptr)
    VokInstance = static_cast<VokInstanceRecord *>(
        V_Calloc(1, sizeof(VokInstanceRecord), kVokExitOnFailure));
  VokInstance->strict = 1;
}
