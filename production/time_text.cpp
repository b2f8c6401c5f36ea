#include "production/time_text.h"

#include "production/production.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr double kLargestMs = 4294967295.0;

std::string trimmed(const std::string& text) {
    size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return "";
    size_t last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

bool endsWith(const std::string& text, const char* suffix) {
    std::string tail(suffix);
    return text.size() > tail.size() &&
           text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// A plain decimal: digits with at most one point ("12", "12.5", ".5"). No sign, no exponent,
// no "inf" or "nan", so whatever passes is a finite value >= 0 (or too long to be finite).
bool isDecimal(const std::string& text) {
    size_t digits = 0, points = 0;
    for (char c : text) {
        if (c >= '0' && c <= '9')
            digits++;
        else if (c == '.')
            points++;
        else
            return false;
    }
    return digits > 0 && points <= 1;
}

bool isWhole(const std::string& text) {
    return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
}

// The rounded millisecond of a (possibly fractional) beat count at a tempo.
double beatsToMs(double beats, const Tempo& tempo) {
    return std::floor(beats * 60000.0 / tempo.beatsPerMinute + 0.5);
}

// Reads the text of one time; `quoted` is the whole original text for messages.
struct TimeReader {
    std::string quoted;
    std::string* error;

    bool fail(const std::string& problem) {
        if (error) *error = problem;
        return false;
    }

    bool number(const std::string& text, double& value) {
        if (!text.empty() && text[0] == '-')
            return fail("a time cannot be negative: '" + quoted + "'");
        if (!isDecimal(text)) return fail("'" + quoted + "' is not a time");
        value = strtod(text.c_str(), nullptr);
        return true;
    }

    bool finish(double ms, uint32_t* out) {
        ms = std::floor(ms + 0.5);
        if (!std::isfinite(ms) || ms > kLargestMs)
            return fail("'" + quoted + "' is past the largest time, 4294967295 ms");
        *out = uint32_t(ms);
        return true;
    }

    // "16" or "16:2.5": whole bars, then beats within the bar.
    bool barBeat(const std::string& text, const Tempo& tempo, uint32_t* out) {
        if (!(tempo.beatsPerMinute > 0) || tempo.beatsPerBar <= 0)
            return fail("'" + quoted + "' is in bars and beats, but no tempo is known");
        size_t colon = text.find(':');
        std::string barText = text.substr(0, colon);
        if (!barText.empty() && barText[0] == '-')
            return fail("a time cannot be negative: '" + quoted + "'");
        if (!isWhole(barText)) return fail("'" + quoted + "' is not a time in bars and beats");
        double bars = strtod(barText.c_str(), nullptr), beats = 0;
        if (colon != std::string::npos) {
            if (!number(text.substr(colon + 1), beats)) return false;
            if (beats >= tempo.beatsPerBar) {
                char beat[32];
                snprintf(beat, sizeof beat, "%g", beats);
                return fail("beat " + std::string(beat) + " is beyond a " +
                            std::to_string(tempo.beatsPerBar) + "-beat bar in '" + quoted + "'");
            }
        }
        return finish(beatsToMs(bars * tempo.beatsPerBar + beats, tempo), out);
    }

    // "1:40.2": whole minutes, then seconds below 60.
    bool minutesSeconds(const std::string& text, uint32_t* out) {
        size_t colon = text.find(':');
        std::string minuteText = text.substr(0, colon);
        if (!minuteText.empty() && minuteText[0] == '-')
            return fail("a time cannot be negative: '" + quoted + "'");
        if (!isWhole(minuteText)) return fail("'" + quoted + "' is not a time in minutes:seconds");
        double seconds = 0;
        if (!number(text.substr(colon + 1), seconds)) return false;
        if (seconds >= 60)
            return fail("the seconds must be below 60 in '" + quoted + "' (minutes:seconds)");
        return finish(strtod(minuteText.c_str(), nullptr) * 60000.0 + seconds * 1000.0, out);
    }
};

} // namespace

bool parseTime(const std::string& text, const TimeSyntax& syntax, uint32_t* ms,
               std::string* error) {
    TimeReader reader{messageExcerpt(text), error};
    std::string body = trimmed(text);
    if (body.empty()) return reader.fail("'" + reader.quoted + "' is not a time");
    if (body.compare(0, 3, "bar") == 0 && body.size() > 3 && (body[3] == ' ' || body[3] == '\t'))
        return reader.barBeat(trimmed(body.substr(3)), syntax.tempo, ms);
    double value = 0;
    if (endsWith(body, "ms")) {
        if (!reader.number(body.substr(0, body.size() - 2), value)) return false;
        return reader.finish(value, ms);
    }
    if (endsWith(body, "s")) {
        if (!reader.number(body.substr(0, body.size() - 1), value)) return false;
        return reader.finish(value * 1000.0, ms);
    }
    if (body.find(':') != std::string::npos) {
        if (syntax.colonIsBarBeat) return reader.barBeat(body, syntax.tempo, ms);
        return reader.minutesSeconds(body, ms);
    }
    if (!reader.number(body, value)) return false;
    return reader.finish(syntax.bareIsMilliseconds ? value : value * 1000.0, ms);
}

std::string messageExcerpt(const std::string& text) {
    size_t length = text.size();
    if (length > kMessageExcerptLength) {
        length = kMessageExcerptLength;
        // Back to the first byte of a UTF-8 character, so that none is cut in two.
        while (length > 0 && (uint8_t(text[length]) & 0xc0) == 0x80)
            length--;
    }
    std::string excerpt = text.substr(0, length);
    for (char& c : excerpt)
        if (uint8_t(c) < 0x20 || c == 0x7f) c = '?';
    return length < text.size() ? excerpt + "..." : excerpt;
}

bool checkPlayRange(uint32_t fromMs, uint32_t& toMs, std::string& problem, std::string& note) {
    const std::string end = formatClockTime(kRunTimeMs);
    if (fromMs >= kRunTimeMs) {
        problem = "option --from: " + formatClockTime(fromMs) +
                  (fromMs == kRunTimeMs
                       ? " is the end of the production (" + end + "); nothing plays from there"
                       : " is past the end of the production (" + end + ")");
        return false;
    }
    if (toMs > kRunTimeMs) {
        note = "option --to: " + formatClockTime(toMs) +
               " is past the end of the production; clamped to " + end;
        toMs = kRunTimeMs;
    }
    if (toMs <= fromMs) {
        problem = "the range is empty: --to (" + formatClockTime(toMs) +
                  ") must lie after --from (" + formatClockTime(fromMs) + ")";
        return false;
    }
    return true;
}

std::string formatClockTime(uint32_t ms) {
    char text[32];
    snprintf(text, sizeof text, "%u:%02u.%03u", ms / 60000, ms / 1000 % 60, ms % 1000);
    return text;
}

std::string formatBarBeat(uint32_t ms, const Tempo& tempo) {
    if (!(tempo.beatsPerMinute > 0) || tempo.beatsPerBar <= 0) return "";
    // Hundredths of a beat, rounded, so that 3.999 beats reads as the next bar's beat 0.
    long long hundredths = llround(double(ms) * tempo.beatsPerMinute / 600.0);
    long long perBar = 100LL * tempo.beatsPerBar;
    long long bar = hundredths / perBar, inBar = hundredths % perBar;
    char text[48];
    if (inBar % 100 == 0)
        snprintf(text, sizeof text, "%lld:%lld", bar, inBar / 100);
    else if (inBar % 10 == 0)
        snprintf(text, sizeof text, "%lld:%lld.%lld", bar, inBar / 100, inBar % 100 / 10);
    else
        snprintf(text, sizeof text, "%lld:%lld.%02lld", bar, inBar / 100, inBar % 100);
    return text;
}

std::string barBeatIfOnGrid(uint32_t ms, const Tempo& tempo) {
    if (!(tempo.beatsPerMinute > 0) || tempo.beatsPerBar <= 0) return "";
    long long quarters = llround(double(ms) * tempo.beatsPerMinute * 4.0 / 60000.0);
    if (beatsToMs(quarters / 4.0, tempo) != double(ms)) return "";
    long long perBar = 4LL * tempo.beatsPerBar;
    long long bar = quarters / perBar, inBar = quarters % perBar;
    static const char* const kFractions[4] = {"", ".25", ".5", ".75"};
    return std::to_string(bar) + ":" + std::to_string(inBar / 4) + kFractions[inBar % 4];
}
