// Channel operations: thin wrappers over the channel's stdio stream.
#include "runtime/vok.h"

size_t V_ChannelRead(void *buffer, size_t size, size_t count,
                     Channel *channel) {
  if (channel == nullptr) return 0;
  return std::fread(buffer, size, count, channel->stream);
}

size_t V_ChannelWrite(const void *buffer, size_t size, size_t count,
                      Channel *channel) {
  FILE *stream = channel ? channel->stream : stdout;
  return std::fwrite(buffer, size, count, stream);
}

int V_ChannelSeek(Channel *channel, long offset, int whence) {
  if (channel == nullptr) return -1;
  return std::fseek(channel->stream, offset, whence);
}

long V_ChannelTell(Channel *channel) {
  if (channel == nullptr) return -1;
  return std::ftell(channel->stream);
}

int V_ChannelEof(Channel *channel) {
  if (channel == nullptr) return 0;
  return std::feof(channel->stream) ? 1 : 0;
}
