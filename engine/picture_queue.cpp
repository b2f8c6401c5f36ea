// The background picture queue: worker threads (one per core, at most 4) decode queued pictures
// in queue order while the GL thread loads; the GL thread takes each one when a load asks for it.
#include "engine/picture_queue.h"

#include "engine/load_stats.h"
#include "engine/picture_decode.h"

#include <SDL_image.h>
#include <algorithm>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <pthread.h>
#include <string>
#include <thread>
#include <time.h>
#include <vector>

namespace {

// One queued picture, 24-bit pictures widened to 32 so that the upload copies bytes instead of
// converting them.
struct PictureJob {
    enum class State { queued, decoding, done };

    std::string path;
    State state = State::queued;
    // Written by whoever decodes the job until done; the GL thread's afterwards.
    Image image;
    TextureAlphaBox alphaBox; // found while decoding, off the GL thread
    bool decoded = false;
    double cpuMs = 0;
    bool taken = false; // the GL thread's: its image was given away or freed
};

// Decodes a job's picture; touches no shared state.
void decodeJob(PictureJob& job) {
    const double cpuStart = qorThreadCpuMs();
    job.decoded = decodePictureAsRgba(job.path.c_str(), &job.image, &job.alphaBox);
    job.cpuMs = qorThreadCpuMs() - cpuStart;
}

// The decoding threads and their jobs. The GL thread adds jobs; workers decode them in queue
// order. A job's state and the queue are guarded by lock; its image belongs to the thread that
// decodes it until it is done.
struct PictureQueue {
    std::mutex lock;
    std::condition_variable changed; // a job was queued or finished, or the workers must stop
    std::vector<std::unique_ptr<PictureJob>> jobs;
    std::deque<PictureJob*> queue;
    std::vector<std::thread> workers;
    bool stopping = false;

    ~PictureQueue() {
        {
            std::lock_guard<std::mutex> guard(lock);
            stopping = true;
        }
        changed.notify_all();
        for (std::thread& worker : workers)
            worker.join();
        for (auto& job : jobs)
            if (job->state == PictureJob::State::done && !job->taken) qorFreeImage(&job->image);
    }

    // The CPU time the workers have used so far, those decoding now included.
    double workersCpuMs() {
        std::lock_guard<std::mutex> guard(lock);
        double total = 0;
        for (std::thread& worker : workers) {
            clockid_t clock;
            timespec used;
            if (pthread_getcpuclockid(worker.native_handle(), &clock) == 0 &&
                clock_gettime(clock, &used) == 0)
                total += double(used.tv_sec) * 1e3 + double(used.tv_nsec) / 1e6;
        }
        return total;
    }

    void startWorkers() {
        unsigned cores = std::thread::hardware_concurrency();
        size_t threads = std::min<size_t>(std::max(cores, 1u), 4);
        for (size_t i = workers.size(); i < threads; i++)
            workers.emplace_back(&PictureQueue::work, this);
    }

    void work() {
        std::unique_lock<std::mutex> guard(lock);
        for (;;) {
            changed.wait(guard, [&] { return stopping || !queue.empty(); });
            if (stopping) return;
            PictureJob& job = *queue.front();
            queue.pop_front();
            if (job.state != PictureJob::State::queued) continue; // the GL thread took it
            job.state = PictureJob::State::decoding;
            guard.unlock();
            decodeJob(job);
            guard.lock();
            job.state = PictureJob::State::done;
            changed.notify_all();
        }
    }

    // The newest job for the path whose picture is not taken yet, or null. GL thread.
    PictureJob* find(const char* path) {
        for (auto job = jobs.rbegin(); job != jobs.rend(); ++job)
            if (!(*job)->taken && (*job)->path == path) return job->get();
        return nullptr;
    }

    // GL thread: brings the job to done, decoding it here when no worker has started it.
    void complete(PictureJob& job) {
        std::unique_lock<std::mutex> guard(lock);
        if (job.state == PictureJob::State::queued) {
            job.state = PictureJob::State::decoding;
            guard.unlock();
            decodeJob(job);
            guard.lock();
            job.state = PictureJob::State::done;
            return;
        }
        changed.wait(guard, [&] { return job.state == PictureJob::State::done; });
    }
};

PictureQueue& pictureQueue() {
    static PictureQueue instance;
    return instance;
}

} // namespace

bool takeQueuedPicture(const char* path, Image& image, TextureAlphaBox& alphaBox) {
    PictureQueue& queue = pictureQueue();
    PictureJob* job = queue.find(path);
    if (!job) return false;
    queue.complete(*job);
    job->taken = true;
    if (!job->decoded) return false;
    qorLoadStats().picturesDecoded++;
    qorLoadStats().decodeCpuMs += job->cpuMs;
    image = job->image;
    job->image = Image();
    alphaBox = job->alphaBox;
    return true;
}

void qorPrefetchPictures(const std::vector<std::string>& paths) {
    PictureQueue& queue = pictureQueue();
    // SDL_image sets its decoders up on first use; that must not race between threads.
    IMG_Init(IMG_INIT_JPG | IMG_INIT_PNG);
    {
        std::lock_guard<std::mutex> guard(queue.lock);
        for (const std::string& path : paths) {
            if (queue.find(path.c_str())) continue; // queued before and not taken yet
            auto job = std::make_unique<PictureJob>();
            job->path = path;
            queue.queue.push_back(job.get());
            queue.jobs.push_back(std::move(job));
        }
    }
    queue.changed.notify_all();
    queue.startWorkers();
}

double qorDecodingThreadsCpuMs() {
    return pictureQueue().workersCpuMs();
}
