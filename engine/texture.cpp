#include "engine/texture.h"

#include "engine/error.h"
#include "engine/load_stats.h"

#include <SDL.h>
#include <SDL_image.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <pthread.h>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <thread>
#include <time.h>
#include <tuple>
#include <unistd.h>
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

// Decodes a picture into tightly packed R, G, B (A) bytes; with report, failures go through
// qorError and name the file. Touches no GL and no shared state, so decoding threads may call it.
bool decodeImage(const char* path, Image* image, bool report) {
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
    if (!decodeImage(path, image, true)) return false;
    qorLoadStats().picturesDecoded++;
    qorLoadStats().decodeCpuMs += qorThreadCpuMs() - cpuStart;
    return true;
}

void qorFreeImage(Image* image) {
    free(image->pixels);
    image->pixels = nullptr;
}

namespace {

// Alpha boxes by texture name; main thread only.
std::map<GLuint, TextureAlphaBox> alphaBoxes;

TextureAlphaBox findAlphaBox(const Image& image) {
    TextureAlphaBox box;
    box.width = image.width;
    box.height = image.height;
    if (image.bytesPerPixel != 4) {
        box.x0 = box.y0 = 0;
        box.x1 = image.width - 1;
        box.y1 = image.height - 1;
        return box;
    }
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

} // namespace

namespace {

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

} // namespace

namespace {

uint32_t readBigEndian(const unsigned char* bytes, int count) {
    uint32_t value = 0;
    for (int i = 0; i < count; i++)
        value = value << 8 | bytes[i];
    return value;
}

// The largest side a picture whose decoding waits may have; larger ones are decoded at once,
// where the upload meets the driver's limit as it always did.
constexpr int kMaxDeferredSide = 8192;

// The size a PNG file's header gives, for 8-bit RGB and RGBA pictures only (the decoder gives
// those 24 or 32 bits per pixel, which the upload takes) that end with their end chunk.
bool readPngSize(FILE* file, int* width, int* height) {
    static const unsigned char kSignature[12] = {0x89, 'P',  'N', 'G', '\r', '\n',
                                                 0x1A, '\n', 0,   0,   0,    13};
    unsigned char head[26];
    if (fread(head, 1, sizeof head, file) != sizeof head) return false;
    if (memcmp(head, kSignature, sizeof kSignature) != 0 || memcmp(head + 12, "IHDR", 4) != 0)
        return false;
    *width = int(std::min<uint32_t>(readBigEndian(head + 16, 4), 1u << 30));
    *height = int(std::min<uint32_t>(readBigEndian(head + 20, 4), 1u << 30));
    const int bitDepth = head[24], colourType = head[25];
    if (bitDepth != 8 || (colourType != 2 && colourType != 6)) return false;
    // A file cut short (no end chunk) is left to the load, which reports it at once.
    static const unsigned char kEnd[12] = {0, 0, 0, 0, 'I', 'E', 'N', 'D', 0xAE, 0x42, 0x60, 0x82};
    unsigned char tail[sizeof kEnd];
    return fseek(file, -long(sizeof tail), SEEK_END) == 0 &&
           fread(tail, 1, sizeof tail, file) == sizeof tail && memcmp(tail, kEnd, sizeof kEnd) == 0;
}

// The size a baseline or progressive JPEG's frame header gives, for 8-bit three-channel
// pictures only. Walks the marker segments up to the frame header.
bool readJpegSize(FILE* file, int* width, int* height) {
    unsigned char marker[4];
    if (fread(marker, 1, 2, file) != 2 || marker[0] != 0xFF || marker[1] != 0xD8) return false;
    for (int segments = 0; segments < 1000; segments++) {
        if (fread(marker, 1, 2, file) != 2 || marker[0] != 0xFF) return false;
        const int type = marker[1];
        if (type == 0xFF) { // fill byte: the marker follows
            fseek(file, -1, SEEK_CUR);
            continue;
        }
        if (type == 0x01 || (type >= 0xD0 && type <= 0xD7)) continue; // no length
        if (type == 0xD9 || type == 0xDA) return false; // the data starts before any frame
        if (fread(marker + 2, 1, 2, file) != 2) return false;
        const long length = long(readBigEndian(marker + 2, 2));
        const bool frame =
            type >= 0xC0 && type <= 0xCF && type != 0xC4 && type != 0xC8 && type != 0xCC;
        if (!frame) {
            if (length < 2 || fseek(file, length - 2, SEEK_CUR) != 0) return false;
            continue;
        }
        unsigned char header[6];
        if (fread(header, 1, sizeof header, file) != sizeof header) return false;
        *height = int(readBigEndian(header + 1, 2));
        *width = int(readBigEndian(header + 3, 2));
        return header[0] == 8 && header[5] == 3;
    }
    return false;
}

// The size of a picture whose decoding may wait: one the decoder turns into 24 or 32 bits per
// pixel, with a readable header, not cut short. False for anything else, which is decoded at
// once and reports its problem as it always did.
bool readDeferrablePictureSize(const char* path, int* width, int* height) {
    if (isTruncatedJpeg(path)) return false;
    FILE* file = fopen(path, "rb");
    if (!file) return false;
    bool known = readPngSize(file, width, height);
    if (!known) {
        rewind(file);
        known = readJpegSize(file, width, height);
    }
    fclose(file);
    return known && *width > 0 && *height > 0 && *width <= kMaxDeferredSide &&
           *height <= kMaxDeferredSide;
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

// The nice value of a worker once it decodes deferred pictures.
constexpr int kBackgroundNice = 10;

// A picture decoded on a worker thread (or on the GL thread, when it is needed before a worker
// got to it), 24-bit pictures widened to 32 so that the upload copies bytes instead of
// converting them.
struct PrefetchJob {
    enum class State { held, queued, decoding, done };

    std::string path;
    bool deferrable = false; // its texture may be created before it is decoded
    bool background = false; // decoded at a lower priority than the frames (kBackgroundNice)
    State state = State::held;
    // Written by whoever decodes the job until done; the GL thread's afterwards.
    Image image;
    TextureAlphaBox alphaBox; // found while decoding, off the GL thread
    bool decoded = false;
    double cpuMs = 0;
    // The GL thread's: textures still waiting for the image; whether it is used up (its image
    // given away or freed) and whether its decoding has been counted.
    int waitingTextures = 0;
    bool consumed = false;
    bool counted = false;
};

// Decodes a job's picture; touches no shared state.
void decodeJob(PrefetchJob& job) {
    const double cpuStart = qorThreadCpuMs();
    bool decoded = decodeImage(job.path.c_str(), &job.image, false);
    if (decoded) job.alphaBox = findAlphaBox(job.image); // before widening: no scan
    job.decoded = decoded && widenToRgba(job.image);
    job.cpuMs = qorThreadCpuMs() - cpuStart;
}

// The decoding threads and their jobs. The GL thread adds jobs and queues them; workers decode
// queued jobs in queue order. A job's state and the queue are guarded by lock; its image
// belongs to the thread that decodes it until it is done.
struct Prefetcher {
    std::mutex lock;
    std::condition_variable changed; // a job was queued or finished, or the workers must stop
    std::vector<std::unique_ptr<PrefetchJob>> jobs;
    std::deque<PrefetchJob*> queue;
    std::vector<std::thread> workers;
    bool stopping = false;

    ~Prefetcher() {
        {
            std::lock_guard<std::mutex> guard(lock);
            stopping = true;
        }
        changed.notify_all();
        for (std::thread& worker : workers)
            worker.join();
        for (auto& job : jobs)
            if (job->state == PrefetchJob::State::done && !job->consumed) qorFreeImage(&job->image);
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
            workers.emplace_back(&Prefetcher::work, this);
    }

    void work() {
        bool background = false;
        std::unique_lock<std::mutex> guard(lock);
        for (;;) {
            changed.wait(guard, [&] { return stopping || !queue.empty(); });
            if (stopping) return;
            PrefetchJob& job = *queue.front();
            queue.pop_front();
            if (job.state != PrefetchJob::State::queued) continue; // the GL thread took it
            // Background pictures decode while frames are drawn: they take the time the frames
            // leave over. (On Linux the nice value is the calling thread's own; a worker keeps
            // it, since raising a priority again needs a privilege.)
            if (job.background && !background) {
                setpriority(PRIO_PROCESS, pid_t(syscall(SYS_gettid)), kBackgroundNice);
                background = true;
            }
            job.state = PrefetchJob::State::decoding;
            guard.unlock();
            decodeJob(job);
            guard.lock();
            job.state = PrefetchJob::State::done;
            changed.notify_all();
        }
    }

    // Hands a held job to the workers; the caller holds lock.
    void queueJob(PrefetchJob& job) {
        if (job.state != PrefetchJob::State::held) return;
        job.state = PrefetchJob::State::queued;
        queue.push_back(&job);
    }

    // The newest job for the path whose picture is not used up yet, or null.
    PrefetchJob* find(const char* path) {
        for (auto job = jobs.rbegin(); job != jobs.rend(); ++job)
            if (!(*job)->consumed && (*job)->path == path) return job->get();
        return nullptr;
    }

    // GL thread: brings the job to done, decoding it here when no worker has started it.
    void complete(PrefetchJob& job) {
        std::unique_lock<std::mutex> guard(lock);
        if (job.state == PrefetchJob::State::held || job.state == PrefetchJob::State::queued) {
            job.state = PrefetchJob::State::decoding;
            guard.unlock();
            decodeJob(job);
            guard.lock();
            job.state = PrefetchJob::State::done;
            return;
        }
        changed.wait(guard, [&] { return job.state == PrefetchJob::State::done; });
    }

    bool isDone(PrefetchJob& job) {
        std::lock_guard<std::mutex> guard(lock);
        return job.state == PrefetchJob::State::done;
    }
};

Prefetcher& prefetcher() {
    static Prefetcher instance;
    return instance;
}

// Counts a job's decoding in the load statistics, once.
void countDecoding(PrefetchJob& job) {
    if (job.counted || !job.decoded) return;
    job.counted = true;
    qorLoadStats().picturesDecoded++;
    qorLoadStats().decodeCpuMs += job.cpuMs;
}

void addJobs(const std::vector<std::string>& paths, bool deferrable) {
    Prefetcher& ahead = prefetcher();
    // SDL_image sets its decoders up on first use; that must not race between threads.
    IMG_Init(IMG_INIT_JPG | IMG_INIT_PNG);
    {
        std::lock_guard<std::mutex> guard(ahead.lock);
        for (const std::string& path : paths) {
            auto job = std::make_unique<PrefetchJob>();
            job->path = path;
            job->deferrable = deferrable;
            if (!deferrable) ahead.queueJob(*job);
            ahead.jobs.push_back(std::move(job));
        }
    }
    ahead.changed.notify_all();
    ahead.startWorkers();
}

// A texture whose storage exists but whose pixels are still being decoded; GL thread only.
struct PendingTexture {
    PrefetchJob* job;
    bool smooth;
};
std::map<GLuint, PendingTexture> pendingTextures;

// The names qorLoadSharedTexture gave since qorTakeLoadedTextures last emptied it; GL thread.
std::vector<GLuint> loadedTextures;

// Creates a texture as uploadPixels does, with a stand-in image of a few texels until the
// pixels arrive: the driver clears new storage, and clearing every picture's full size would
// cost the loading what it saves. The stand-in is a power of two on each side exactly where the
// picture is, in the same format and sampling: what a driver builds its shader variants for.
GLuint createPendingTexture(int width, int height, bool smooth) {
    auto isPowerOfTwo = [](int side) { return (side & (side - 1)) == 0; };
    glEnable(GL_TEXTURE_2D);
    GLuint name = newTexture(smooth);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, isPowerOfTwo(width) ? 1 : 3,
                 isPowerOfTwo(height) ? 1 : 3, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glDisable(GL_TEXTURE_2D);
    return name;
}

// Gives an existing texture a decoded picture, leaving the binding and unpack state as they
// were: this runs between and inside frames. False after qorError for a depth the upload does
// not take.
bool fillTexture(GLuint name, const Image& image) {
    GLenum sourceFormat = image.bytesPerPixel == 3 ? GL_RGB : GL_RGBA;
    if (image.bytesPerPixel != 3 && image.bytesPerPixel != 4) {
        qorError("Unknown image format - %d bpp (expected 24 or 32)\n", image.bytesPerPixel * 8);
        return false;
    }
    const double cpuStart = qorThreadCpuMs();
    GLint bound = 0, alignment = 4;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    glBindTexture(GL_TEXTURE_2D, name);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, image.width, image.height, 0, sourceFormat,
                 GL_UNSIGNED_BYTE, image.pixels);
    glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
    glBindTexture(GL_TEXTURE_2D, GLuint(bound));
    qorLoadStats().picturesUploaded++;
    qorLoadStats().uploadCpuMs += qorThreadCpuMs() - cpuStart;
    return true;
}

// Gives a pending texture its pixels, waiting for its decoding. A picture that did not decode
// is decoded again here to report the problem exactly as a direct load does; the texture is
// then left without storage, so that it samples as no texture. Returns whether it has pixels.
bool completePendingTexture(GLuint name) {
    auto found = pendingTextures.find(name);
    if (found == pendingTextures.end()) return true;
    PrefetchJob& job = *found->second.job;
    pendingTextures.erase(found);
    prefetcher().complete(job);
    bool filled = false;
    if (job.decoded) {
        countDecoding(job);
        filled = fillTexture(name, job.image);
        if (filled) alphaBoxes[name] = job.alphaBox;
    } else {
        Image image;
        if (qorLoadImage(job.path.c_str(), &image)) { // it decodes after all: use it
            filled = fillTexture(name, image);
            if (filled) alphaBoxes[name] = findAlphaBox(image);
            qorFreeImage(&image);
        }
    }
    if (--job.waitingTextures == 0) {
        if (job.decoded) qorFreeImage(&job.image);
        job.consumed = true;
    }
    if (!filled) {
        GLint bound = 0;
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
        glBindTexture(GL_TEXTURE_2D, name);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 0, 0, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
        glBindTexture(GL_TEXTURE_2D, GLuint(bound));
    }
    return filled;
}

// Takes the path's decoded picture from a job for an upload now, decoding it here when no
// worker has; false when there is no job for it or it did not decode.
bool takeDecoded(const char* path, Image& image, TextureAlphaBox& alphaBox) {
    PrefetchJob* job = prefetcher().find(path);
    if (!job) return false;
    prefetcher().complete(*job);
    if (!job->decoded || job->waitingTextures > 0) return false;
    countDecoding(*job);
    job->consumed = true;
    image = job->image;
    job->image = Image();
    alphaBox = job->alphaBox;
    return true;
}

} // namespace

double qorDecodingThreadsCpuMs() {
    return prefetcher().workersCpuMs();
}

void qorPrefetchPictures(const std::vector<std::string>& paths) {
    addJobs(paths, false);
}

void qorDeferPictures(const std::vector<std::string>& paths) {
    addJobs(paths, true);
}

void qorDecodePictures(const std::vector<GLuint>& names, bool background) {
    Prefetcher& ahead = prefetcher();
    {
        std::lock_guard<std::mutex> guard(ahead.lock);
        for (GLuint name : names) {
            auto pending = pendingTextures.find(name);
            if (pending == pendingTextures.end()) continue;
            PrefetchJob& job = *pending->second.job;
            if (job.state == PrefetchJob::State::held) job.background = background;
            ahead.queueJob(job);
        }
    }
    ahead.changed.notify_all();
}

bool qorIsTexturePending(GLuint name) {
    return pendingTextures.count(name) != 0;
}

bool qorCompleteTextures(const std::vector<GLuint>& names, bool wait, int* uploadsLeft) {
    for (GLuint name : names) {
        if (uploadsLeft && *uploadsLeft <= 0) break;
        auto pending = pendingTextures.find(name);
        if (pending == pendingTextures.end()) continue;
        if (!wait && !prefetcher().isDone(*pending->second.job)) continue;
        if (uploadsLeft) --*uploadsLeft;
        if (!completePendingTexture(name)) return false;
    }
    return true;
}

std::vector<GLuint> qorTakeLoadedTextures() {
    std::vector<GLuint> names;
    names.swap(loadedTextures);
    return names;
}

bool qorGetTextureAlphaBox(GLuint name, TextureAlphaBox* box) {
    completePendingTexture(name); // the box comes from the pixels
    auto known = alphaBoxes.find(name);
    if (known == alphaBoxes.end()) return false;
    *box = known->second;
    return true;
}

namespace {

// The shared texture for a file seen for the first time: a pending texture when its decoding
// may wait, else decoded (by a worker, if one has it) and uploaded now.
GLuint loadNewSharedTexture(const char* path, bool smooth) {
    PrefetchJob* job = prefetcher().find(path);
    int width = 0, height = 0;
    if (job && job->deferrable && readDeferrablePictureSize(path, &width, &height)) {
        GLuint name = createPendingTexture(width, height, smooth);
        pendingTextures[name] = {job, smooth};
        job->waitingTextures++;
        return name;
    }
    Image image;
    TextureAlphaBox alphaBox;
    if (!takeDecoded(path, image, alphaBox))
        return qorLoadTexture(path, smooth); // decodes here, reporting any problem
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
    if (name != 0) loadedTextures.push_back(name);
    return name;
}
