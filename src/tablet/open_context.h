// The opening's allocation of the packet buffer, replaceable so that a failed allocation can be shown.
#pragma once

#include <cstddef>

// Gets `bytes` bytes for the packet buffer, or null. What it returns is released with std::free.
using PacketBufferAllocator = void* (*)(size_t bytes);
extern PacketBufferAllocator packet_buffer_allocator; // std::malloc unless replaced

// The most packets one opening asks the driver to queue, and so the most the buffer is sized for.
inline constexpr int largest_queue_packets = 32;
