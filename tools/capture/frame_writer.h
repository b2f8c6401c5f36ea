// Hands captured frames to a worker thread that writes them in order (PNG files, the video
// pipe), so that encoding a frame overlaps the rendering of the next ones.
#pragma once

#include "tools/pictures/picture_io.h"

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

class FrameWriter {
  public:
    // take runs on the worker thread, once per frame in submission order, and returns 0 or
    // the status to end the capture with; after a nonzero status no further frame is taken.
    using Take = std::function<int(size_t index, const Picture& frame)>;
    explicit FrameWriter(Take take);
    ~FrameWriter(); // finishes first
    FrameWriter(const FrameWriter&) = delete;
    FrameWriter& operator=(const FrameWriter&) = delete;

    // A picture to read the next frame into: one the worker is done with, when there is one.
    Picture spare();
    // Queues the frame, waiting while kQueuedFrames are queued. Returns the first nonzero
    // status take has returned so far, else 0.
    int submit(size_t index, Picture frame);
    // Waits until every queued frame is taken and returns the first nonzero status, else 0.
    int finish();

    static constexpr size_t kQueuedFrames = 3;

  private:
    void work();

    Take take;
    std::mutex lock; // guards everything below
    std::condition_variable changed;
    std::deque<std::pair<size_t, Picture>> queue;
    std::vector<Picture> spares;
    int status = 0;
    bool busy = false; // the worker is taking a frame
    bool closing = false;
    std::thread worker; // last: starts once the rest is built
};
