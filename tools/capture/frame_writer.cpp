#include "tools/capture/frame_writer.h"

#include <utility>

FrameWriter::FrameWriter(Take take) : take(std::move(take)), worker(&FrameWriter::work, this) {}

FrameWriter::~FrameWriter() {
    finish();
    {
        std::lock_guard<std::mutex> guard(lock);
        closing = true;
    }
    changed.notify_all();
    worker.join();
}

Picture FrameWriter::spare() {
    std::lock_guard<std::mutex> guard(lock);
    if (spares.empty()) return Picture();
    Picture picture = std::move(spares.back());
    spares.pop_back();
    return picture;
}

int FrameWriter::submit(size_t index, Picture frame) {
    std::unique_lock<std::mutex> guard(lock);
    changed.wait(guard, [&] { return queue.size() < kQueuedFrames || status != 0; });
    if (status == 0) queue.emplace_back(index, std::move(frame));
    changed.notify_all();
    return status;
}

int FrameWriter::finish() {
    std::unique_lock<std::mutex> guard(lock);
    changed.wait(guard, [&] { return (queue.empty() && !busy) || status != 0; });
    return status;
}

void FrameWriter::work() {
    std::unique_lock<std::mutex> guard(lock);
    for (;;) {
        changed.wait(guard, [&] { return !queue.empty() || closing; });
        if (queue.empty()) return;
        std::pair<size_t, Picture> job = std::move(queue.front());
        queue.pop_front();
        busy = true;
        guard.unlock();
        int result = take(job.first, job.second);
        guard.lock();
        busy = false;
        if (status == 0) status = result;
        if (status != 0) queue.clear();
        spares.push_back(std::move(job.second));
        changed.notify_all();
    }
}
