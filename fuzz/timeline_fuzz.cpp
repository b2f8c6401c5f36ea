// Reads arbitrary bytes as a timeline file, builds the clips as the demo does and evaluates
// every property around every key: no crash, no sanitizer report, no leak, whatever the bytes.
#include "runtime/clip.h"
#include "runtime/effect.h"
#include "runtime/timeline_format.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace {

// An effect with as many properties as the largest class (Glow), declared like Glow's.
class NinePropertyEffect : public Effect {
  public:
    NinePropertyEffect() {
        for (float& value : values)
            addProperty("Value", &value, 0, 1, 0.5f);
    }
    void render(uint32_t) override {}
    const char* name() override { return "fuzz"; }

  private:
    float values[9];
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TimelineFileData file;
    std::string problem;
    if (!parseTimeline(data, size, 29, file, problem)) return 0;
    NinePropertyEffect effect;
    for (const TimelineClipData& record : file.clips) {
        Clip clip(&effect);
        clip.start = record.record.start;
        for (const Key& key : record.keys)
            clip.addKey(key);
        for (const Key& key : clip.keys) {
            for (int32_t property = -1; property <= 9; property++) {
                clip.valueAt(property, key.time - 1);
                clip.valueAt(property, key.time);
                clip.valueAt(property, key.time + 1);
            }
        }
        clip.applyProperties(clip.start + 1);
    }
    return 0;
}
