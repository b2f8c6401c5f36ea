#include "tools/preview/input.h"

#include "production/time_text.h"

#include <SDL.h>

namespace {

// Written during event pumps by the callbacks below, read and cleared by the loop.
struct InputState {
    KeyRequests keys;
    bool escape = false;
    std::vector<PointerEvent> pointer;
};
InputState input;

bool held(int mask) {
    return (SDL_GetModState() & mask) != 0;
}

// A key as it goes down, with the modifiers held at that moment (a later look at the modifier
// state may already see the release of a Ctrl pressed with it).
void onKey(int code, int modifiers) {
    KeyRequests& keys = input.keys;
    bool shift = (modifiers & KMOD_SHIFT) != 0, control = (modifiers & KMOD_CTRL) != 0;
    int barBeats = kProductionTempo.beatsPerBar;
    switch (code) {
    case SDLK_SPACE:
        keys.togglePause = true;
        break;
    case SDLK_LEFT:
        keys.beatSteps -= shift ? 1 : barBeats;
        break;
    case SDLK_RIGHT:
        keys.beatSteps += shift ? 1 : barBeats;
        break;
    case SDLK_PAGEUP:
        keys.beatSteps -= 8 * barBeats;
        break;
    case SDLK_PAGEDOWN:
        keys.beatSteps += 8 * barBeats;
        break;
    case SDLK_HOME:
        keys.seekHome = true, keys.seekEnd = false, keys.beatSteps = 0;
        break;
    case SDLK_END:
        keys.seekEnd = true, keys.seekHome = false, keys.beatSteps = 0;
        break;
    case SDLK_COMMA:
        keys.frameSteps--;
        break;
    case SDLK_PERIOD:
        keys.frameSteps++;
        break;
    case SDLK_LEFTBRACKET:
        keys.markLoopStart = true;
        break;
    case SDLK_RIGHTBRACKET:
        keys.markLoopEnd = true;
        break;
    case SDLK_l:
        keys.toggleLoop = true;
        break;
    case SDLK_h:
        keys.toggleHud = true;
        break;
    case SDLK_t:
        keys.toggleStrip = true;
        break;
    case SDLK_k:
        keys.toggleKeys = true;
        break;
    case SDLK_c:
        keys.toggleCurve = true;
        break;
    case SDLK_r:
        keys.reload = true;
        break;
    case SDLK_s:
        keys.save = keys.save || control;
        break;
    case SDLK_UP:
        keys.propertySteps--;
        break;
    case SDLK_DOWN:
        keys.propertySteps++;
        break;
    case SDLK_EQUALS:
    case SDLK_PLUS:
    case SDLK_KP_PLUS:
        keys.nudgeSteps += shift ? 10 : 1;
        break;
    case SDLK_MINUS:
    case SDLK_KP_MINUS:
        keys.nudgeSteps -= shift ? 10 : 1;
        break;
    case SDLK_INSERT:
        keys.insertKey = true;
        break;
    case SDLK_DELETE:
        keys.deleteKey = true;
        break;
    case SDLK_F12:
        keys.screenshot = true;
        break;
    case SDLK_ESCAPE:
        keys.quit = true, input.escape = true;
        break;
    default:
        break;
    }
}

void addPointer(PointerEvent::Kind kind, int x, int y, int button, int wheel) {
    PointerEvent event{kind, float(x), float(y), button, wheel, held(KMOD_ALT), held(KMOD_SHIFT)};
    if (kind == PointerEvent::Motion && !input.pointer.empty() &&
        input.pointer.back().kind == PointerEvent::Motion)
        input.pointer.back() = event;
    else
        input.pointer.push_back(event);
}

// Sees every event as SDL queues it. Closing the window, SIGTERM and Ctrl+C (SDL turns both
// into a quit event) end the preview like Escape: the engine's event loop drops quit events.
// Keys are read here with their modifiers, and mouse events whole, with motion and release,
// which the engine does not pass on.
int filterEvent(const SDL_Event* event) {
    switch (event->type) {
    case SDL_KEYDOWN:
        onKey(event->key.keysym.sym, event->key.keysym.mod);
        return 1;
    case SDL_QUIT:
        input.keys.quit = true;
        input.escape = false;
        return 1;
    case SDL_MOUSEMOTION:
        addPointer(PointerEvent::Motion, event->motion.x, event->motion.y, 0, 0);
        return 0;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
        const SDL_MouseButtonEvent& button = event->button;
        bool down = event->type == SDL_MOUSEBUTTONDOWN;
        if (button.button == SDL_BUTTON_WHEELUP || button.button == SDL_BUTTON_WHEELDOWN) {
            if (down)
                addPointer(PointerEvent::Wheel, button.x, button.y, 0,
                           button.button == SDL_BUTTON_WHEELUP ? 1 : -1);
            return 0;
        }
        addPointer(down ? PointerEvent::Press : PointerEvent::Release, button.x, button.y,
                   button.button, 0);
        return 0;
    }
    default:
        return 1;
    }
}

} // namespace

void installInput() {
    input = InputState();
    SDL_SetEventFilter(filterEvent);
    SDL_ShowCursor(1);
}

void removeInput() {
    SDL_SetEventFilter(nullptr);
}

KeyRequests takeKeyRequests() {
    KeyRequests asked = input.keys;
    input.keys = KeyRequests();
    input.keys.quit = asked.quit;
    return asked;
}

bool quitRequested() {
    return input.keys.quit;
}

bool quitWasEscape() {
    return input.escape;
}

void cancelQuit() {
    input.keys.quit = false;
    input.escape = false;
}

std::vector<PointerEvent> takePointerEvents() {
    std::vector<PointerEvent> events;
    events.swap(input.pointer);
    return events;
}
