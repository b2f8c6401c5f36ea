#include "engine/texture.h"

#include "engine/error.h"
#include "engine/load_stats.h"

#include <SDL.h>
#include <SDL_image.h>
#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <pthread.h>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <time.h>
#include <tuple>
#include <vector>

namespace {

// Whether the surface's pixels already lie in memory as R, G, B (and A) bytes.
bool isRgbInMemory(const SDL_PixelFormat* format) {
    const int bpp = format->BytesPerPixel;
    if (bpp != 3 && bpp != 4) return true; // other depths are copied as they are and refused
#if SDL_BYTEORDER == SDL_LIL_ENDIAN
    const Uint32 r = 0x000000ff, g = 0x0000ff00, b = 0x00ff0000, a = 0xff000000;
#else
    const Uint32 r = bpp == 4 ? 0xff000000 : 0xff0000, g = bpp == 4 ? 0x00ff0000 : 0x00ff00,
                 b = bpp == 4 ? 0x0000ff00 : 0x0000ff, a = 0x000000ff;
#endif
    return format->Rmask == r && format->Gmask == g && format->Bmask == b &&
           (bpp == 3 || format->Amask == a);
}

// Reads one pixel of 3 or 4 bytes as SDL packs it: a native-endian integer.
Uint32 readPixelValue(const Uint8* p, int bpp) {
    if (bpp == 4) {
        Uint32 value;
        memcpy(&value, p, 4);
        return value;
    }
#if SDL_BYTEORDER == SDL_LIL_ENDIAN
    return p[0] | p[1] << 8 | p[2] << 16;
#else
    return p[0] << 16 | p[1] << 8 | p[2];
#endif
}

Uint8 channel(Uint32 pixel, Uint32 mask, Uint8 shift, Uint8 loss) {
    return static_cast<Uint8>(((pixel & mask) >> shift) << loss);
}

// Copies the surface into the tightly packed buffer, row by row using the surface's pitch,
// rearranging channels into R, G, B (A) where the surface holds another order. A 32-bit
// surface without an alpha mask gets alpha 255.
void copyPixels(const SDL_Surface* surface, const Image& image) {
    const SDL_PixelFormat* format = surface->format;
    const int rowBytes = image.width * image.bytesPerPixel;
    const bool direct = isRgbInMemory(format);
    for (int y = 0; y < image.height; y++) {
        const Uint8* src = static_cast<const Uint8*>(surface->pixels) + y * surface->pitch;
        Uint8* dst = image.pixels + y * rowBytes;
        if (direct) {
            memcpy(dst, src, rowBytes);
            continue;
        }
        for (int x = 0; x < image.width; x++, src += image.bytesPerPixel) {
            Uint32 pixel = readPixelValue(src, image.bytesPerPixel);
            *dst++ = channel(pixel, format->Rmask, format->Rshift, format->Rloss);
            *dst++ = channel(pixel, format->Gmask, format->Gshift, format->Gloss);
            *dst++ = channel(pixel, format->Bmask, format->Bshift, format->Bloss);
            if (image.bytesPerPixel == 4)
                *dst++ = format->Amask
                             ? channel(pixel, format->Amask, format->Ashift, format->Aloss)
                             : 255;
        }
    }
}

// Whether the file is a JPEG (it starts with a start-of-image marker) whose data stops before
// its end-of-image marker. The decoder fills the missing part with grey without failing, so a
// picture cut in half would otherwise load. A few trailing bytes after the marker are allowed.
bool isTruncatedJpeg(const char* path) {
    FILE* file = fopen(path, "rb");
    if (!file) return false;
    unsigned char head[3] = {};
    bool jpeg =
        fread(head, 1, 3, file) == 3 && head[0] == 0xFF && head[1] == 0xD8 && head[2] == 0xFF;
    bool ended = false;
    unsigned char tail[32];
    if (jpeg && fseek(file, -long(sizeof tail), SEEK_END) != 0) fseek(file, 0, SEEK_SET);
    size_t got = jpeg ? fread(tail, 1, sizeof tail, file) : 0;
    for (size_t i = 0; i + 1 < got; i++)
        ended = ended || (tail[i] == 0xFF && tail[i + 1] == 0xD9);
    fclose(file);
    return jpeg && !ended;
}

} // namespace

namespace {

// Decodes a PNG or JPG file into tightly packed R, G, B (A) bytes, top row first. With report,
// a failure goes through qorError and names the file; no buffer is left behind then. Touches no
// GL and no shared state, so decoding threads may call it.
bool decodePicture(const char* path, Image* image, bool report) {
    if (isTruncatedJpeg(path)) {
        if (report) qorError("Picture '%s' is cut short: its JPEG data has no end marker\n", path);
        return false;
    }
    SDL_Surface* surface = IMG_Load(path);
    if (!surface) {
        if (report) {
            const char* reason = SDL_GetError();
            qorError("%s\n", reason);
            // The decoder's text does not always say which file it could not read.
            if (!strstr(reason, path)) fprintf(stderr, "Picture '%s' could not be loaded\n", path);
        }
        return false;
    }
    image->width = surface->w;
    image->height = surface->h;
    image->bytesPerPixel = surface->format->BitsPerPixel / 8;
    const size_t size = size_t(image->width) * image->height * image->bytesPerPixel;
    image->pixels = static_cast<uint8_t*>(malloc(size > 0 ? size : 1));
    if (!image->pixels) {
        SDL_FreeSurface(surface);
        if (report) qorError("Unable to allocate data memory for image '%s'\n", path);
        return false;
    }
    SDL_LockSurface(surface);
    copyPixels(surface, *image);
    SDL_UnlockSurface(surface);
    SDL_FreeSurface(surface);
    return true;
}

} // namespace

bool qorLoadImage(const char* path, Image* image) {
    const double cpuStart = qorThreadCpuMs();
    if (!decodePicture(path, image, true)) return false;
    qorLoadStats().picturesDecoded++;
    qorLoadStats().decodeCpuMs += qorThreadCpuMs() - cpuStart;
    return true;
}

void qorFreeImage(Image* image) {
    free(image->pixels);
    image->pixels = nullptr;
}

namespace {

// The box of a picture without alpha: all of it.
TextureAlphaBox wholePictureBox(const Image& image) {
    TextureAlphaBox box;
    box.width = image.width;
    box.height = image.height;
    box.x0 = box.y0 = 0;
    box.x1 = image.width - 1;
    box.y1 = image.height - 1;
    return box;
}

// The smallest box of texels that are not fully transparent (the whole picture for 24 bits).
TextureAlphaBox findAlphaBox(const Image& image) {
    if (image.bytesPerPixel != 4) return wholePictureBox(image);
    TextureAlphaBox box;
    box.width = image.width;
    box.height = image.height;
    box.x0 = image.width;
    box.y0 = image.height;
    for (int y = 0; y < image.height; y++) {
        const uint8_t* alpha = image.pixels + size_t(y) * size_t(image.width) * 4 + 3;
        for (int x = 0; x < image.width; x++, alpha += 4) {
            if (*alpha == 0) continue;
            box.x0 = std::min(box.x0, x);
            box.x1 = std::max(box.x1, x);
            box.y0 = std::min(box.y0, y);
            box.y1 = std::max(box.y1, y);
        }
    }
    return box;
}

// RGB to RGBA with alpha 255; other depths stay as they are (the upload refuses them). False,
// with the pixels freed, when there is no memory for the wider copy.
bool widenToRgba(Image& image) {
    if (image.bytesPerPixel != 3) return true;
    size_t count = size_t(image.width) * size_t(image.height);
    uint8_t* wide = static_cast<uint8_t*>(malloc(count > 0 ? count * 4 : 1));
    if (!wide) {
        qorFreeImage(&image);
        return false;
    }
    for (size_t i = 0; i < count; i++) {
        memcpy(wide + i * 4, image.pixels + i * 3, 3);
        wide[i * 4 + 3] = 255;
    }
    qorFreeImage(&image);
    image.pixels = wide;
    image.bytesPerPixel = 4;
    return true;
}

// As decodePicture without reporting, but 24-bit pictures come out as 32-bit ones with alpha 255,
// so that the upload copies bytes instead of converting them; alphaBox is the picture's box of
// texels that are not fully transparent.
bool decodePictureAsRgba(const char* path, Image* image, TextureAlphaBox* alphaBox) {
    if (!decodePicture(path, image, false)) return false;
    *alphaBox = findAlphaBox(*image); // before widening: no scan for 24 bits
    return widenToRgba(*image);
}

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

// Takes the newest decoded picture queued for the path, waiting for its worker or decoding it
// on this thread when no worker has started it, and counts its decoding in the load statistics.
// False, with nothing taken, when none is queued or it did not decode: the caller then decodes
// the file itself, which reports the problem. The image and its alpha box become the caller's.
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

} // namespace

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

namespace {

// Alpha boxes by texture name; main thread only.
std::map<GLuint, TextureAlphaBox> alphaBoxes;

// A new texture name bound to GL_TEXTURE_2D with the loader's sampling: smooth is repeating and
// linear, otherwise clamped and nearest.
GLuint newTexture(bool smooth) {
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    const GLint wrap = smooth ? GL_REPEAT : GL_CLAMP;
    const GLint filter = smooth ? GL_LINEAR : GL_NEAREST;
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wrap);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, wrap);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
    return name;
}

// qorUploadTexture without recording the alpha box.
GLuint uploadPixels(const Image& image, bool smooth) {
    GLenum sourceFormat;
    if (image.bytesPerPixel == 3) {
        sourceFormat = GL_RGB;
    } else if (image.bytesPerPixel == 4) {
        sourceFormat = GL_RGBA;
    } else {
        qorError("Unknown image format - %d bpp (expected 24 or 32)\n", image.bytesPerPixel * 8);
        return 0;
    }
    const double cpuStart = qorThreadCpuMs();
    glEnable(GL_TEXTURE_2D);
    GLuint name = newTexture(smooth);
    // The rows are tightly packed, so 24-bit rows of any width need an alignment of 1.
    GLint alignment = 4;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, image.width, image.height, 0, sourceFormat,
                 GL_UNSIGNED_BYTE, image.pixels);
    glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
    glDisable(GL_TEXTURE_2D);
    qorLoadStats().picturesUploaded++;
    qorLoadStats().uploadCpuMs += qorThreadCpuMs() - cpuStart;
    return name;
}

} // namespace

GLuint qorUploadTexture(const Image& image, bool smooth) {
    GLuint name = uploadPixels(image, smooth);
    if (name != 0) alphaBoxes[name] = findAlphaBox(image);
    return name;
}

GLuint qorLoadTexture(const char* path, bool smooth) {
    Image image;
    if (!qorLoadImage(path, &image)) return 0;
    GLuint name = qorUploadTexture(image, smooth);
    qorFreeImage(&image);
    return name;
}

bool qorGetTextureAlphaBox(GLuint name, TextureAlphaBox* box) {
    auto known = alphaBoxes.find(name);
    if (known == alphaBoxes.end()) return false;
    *box = known->second;
    return true;
}

namespace {

// A picture file as it is on disk now.
struct FileIdentity {
    std::string path;
    dev_t device;
    ino_t inode;
    off_t size;
    long modifiedSeconds, modifiedNanoseconds;
    bool smooth;

    bool operator<(const FileIdentity& other) const {
        return std::tie(path, device, inode, size, modifiedSeconds, modifiedNanoseconds, smooth) <
               std::tie(other.path, other.device, other.inode, other.size, other.modifiedSeconds,
                        other.modifiedNanoseconds, other.smooth);
    }
};

// Shared textures by the file they were loaded from; main thread only.
std::map<FileIdentity, GLuint> sharedTextures;

// The shared texture for a file seen for the first time: its queued picture (decoded by a
// worker, if one has it) uploaded now, or the file decoded here, which reports any problem.
GLuint loadNewSharedTexture(const char* path, bool smooth) {
    Image image;
    TextureAlphaBox alphaBox;
    if (!takeQueuedPicture(path, image, alphaBox)) return qorLoadTexture(path, smooth);
    GLuint name = uploadPixels(image, smooth);
    if (name != 0) alphaBoxes[name] = alphaBox;
    qorFreeImage(&image);
    return name;
}

} // namespace

GLuint qorLoadSharedTexture(const char* path, bool smooth) {
    struct stat info;
    if (stat(path, &info) != 0) return qorLoadTexture(path, smooth); // reports the problem
    FileIdentity file = {path,
                         info.st_dev,
                         info.st_ino,
                         info.st_size,
                         long(info.st_mtim.tv_sec),
                         long(info.st_mtim.tv_nsec),
                         smooth};
    auto known = sharedTextures.find(file);
    // A name from a context that has since gone is no texture any more.
    GLuint name = 0;
    if (known != sharedTextures.end() && glIsTexture(known->second)) {
        name = known->second;
        glBindTexture(GL_TEXTURE_2D, name);
    } else {
        name = loadNewSharedTexture(path, smooth);
        if (name != 0) sharedTextures[file] = name;
    }
    return name;
}
