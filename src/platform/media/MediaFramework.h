#pragma once
// Registers the framework's classes with the class registry: the graph manager, the capture
// graph builder, the system clock and the built-in filters (with their pin types, so graph
// building finds them). Call once at start-up, before the first CoCreateInstance of a media
// class; calling again does nothing. It also limits the allocator to a few arenas shared by all
// threads, so that graphs built one after another reuse the memory their predecessors freed.
// Any thread.
namespace kavoro::media {

void RegisterMediaFramework();

}  // namespace kavoro::media
