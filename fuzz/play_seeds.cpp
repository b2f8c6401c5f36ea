// Writes play_fuzz's seed corpus: for each of the 29 effects, one input that plays it alone on
// layer 0 from 0 ms for a minute with a key of each kind, and frames spread over that minute.
#include "fuzz/seed_writer.h"

#include <string>

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: %s CORPUS_DIR\n", argv[0]);
        return 2;
    }
    bool written = true;
    for (int effect = 0; effect < 29; effect++) {
        std::string bytes;
        bytes += char(0);                    // one clip
        bytes += char(effect);               // effect index
        bytes += char(0);                    // layer 0
        bytes += std::string(2, '\0');       // start 0
        bytes += char(0);                    // a duration in units of 4 ms:
        bytes += std::string("\x60\x3a", 2); // 15000 x 4 ms
        bytes += char(0);                    // offset 0, in ms
        bytes += std::string(2, '\0');
        bytes += char(2); // two keys
        for (int key = 0; key < 2; key++) {
            bytes += std::string("\x10\x00", 2); // at 64 ms
            bytes += char(key);                  // property 0 or 1
            bytes += char(key == 0 ? 9 : 12);    // value 1 or 0.5
            bytes += char(1);                    // eased
        }
        bytes += std::string(4 * 512, '\0'); // a silent analysis block
        for (int frame = 0; frame < 4; frame++)
            bytes += std::string("\x00\xd0\x07", 3); // 2000 x 8 ms further on
        written = writeSeed(argv[1], "effect" + std::to_string(effect), bytes) && written;
    }
    // An overlay moved by a NaN and scaled by 3e38: its visible box must not reach an int.
    std::string bytes;
    bytes += char(0);                                // one clip
    bytes += char(19);                               // effect 19, an overlay
    bytes += std::string("\0\0\0\0", 4);             // layer 0, start 0
    bytes += std::string("\x60\x3a", 2);             // 15000 x 4 ms
    bytes += std::string("\0\0\0", 3);               // offset 0
    bytes += char(2);                                // two keys at 64 ms:
    bytes += std::string("\x10\x00\x03\x00\x00", 5); // "Position X" NaN
    bytes += std::string("\x10\x00\x02\x05\x00", 5); // "Scale" 3e38
    bytes += std::string(4 * 512, '\0');
    for (int frame = 0; frame < 4; frame++)
        bytes += std::string("\x00\xd0\x07", 3);
    written = writeSeed(argv[1], "overlay-unbounded", bytes) && written;
    return written ? 0 : 1;
}
