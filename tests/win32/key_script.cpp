#include "tests/win32/key_script.h"

#include <cstdlib>
#include <sstream>

namespace korv::test {

namespace {

struct StateName {
    const char* name;
    DWORD bit;
};

constexpr StateName kStateNames[] = {
    {"shift", SHIFT_PRESSED},       {"lctrl", LEFT_CTRL_PRESSED}, {"rctrl", RIGHT_CTRL_PRESSED},
    {"lalt", LEFT_ALT_PRESSED},     {"ralt", RIGHT_ALT_PRESSED},  {"enhanced", ENHANCED_KEY},
    {"numlock", NUMLOCK_ON},        {"capslock", CAPSLOCK_ON},    {"scrolllock", SCROLLLOCK_ON},
};

bool ParseNumber(const std::string& token, unsigned long limit, unsigned long& value) {
    const bool hex = token.size() > 2 && token[0] == '0' && (token[1] == 'x' || token[1] == 'X');
    const std::string digits = hex ? token.substr(2) : token;
    if (digits.empty() || digits.find_first_not_of(hex ? "0123456789abcdefABCDEF" : "0123456789") !=
                              std::string::npos)
        return false;
    value = std::strtoul(digits.c_str(), nullptr, hex ? 16 : 10);
    return value <= limit;
}

bool ParseCharacter(const std::string& token, unsigned long& value) {
    if (token.size() == 3 && token.front() == '\'' && token.back() == '\'' && token[1] > ' ' &&
        token[1] < 127) {
        value = static_cast<unsigned char>(token[1]);
        return true;
    }
    return ParseNumber(token, 0xFFFF, value);
}

bool ParseStateName(const std::string& name, DWORD& state) {
    for (const StateName& known : kStateNames) {
        if (name == known.name) {
            state |= known.bit;
            return true;
        }
    }
    return false;
}

bool ParseState(const std::string& token, DWORD& state) {
    unsigned long number = 0;
    if (ParseNumber(token, 0xFFFFFFFFul, number)) {
        state = number;
        return true;
    }
    state = 0;
    std::istringstream names(token);
    for (std::string name; std::getline(names, name, '+');)
        if (!ParseStateName(name, state)) return false;
    return true;
}

// VK SCAN CHAR [STATE [REPEAT]]
bool ParseKey(const std::vector<std::string>& fields, bool down, INPUT_RECORD& record,
              std::string& problem) {
    if (fields.size() < 4 || fields.size() > 6) {
        problem = "a key takes VK SCAN CHAR [STATE [REPEAT]]";
        return false;
    }
    unsigned long vk = 0, scan = 0, character = 0, repeat = 1;
    DWORD state = 0;
    if (!ParseNumber(fields[1], 0xFFFF, vk) || !ParseNumber(fields[2], 0xFFFF, scan) ||
        !ParseCharacter(fields[3], character) ||
        (fields.size() > 4 && !ParseState(fields[4], state)) ||
        (fields.size() > 5 && !ParseNumber(fields[5], 0xFFFF, repeat))) {
        problem = "a key field is no number, character or state name";
        return false;
    }
    record = INPUT_RECORD{};
    record.EventType = KEY_EVENT;
    KEY_EVENT_RECORD& key = record.Event.KeyEvent;
    key.bKeyDown = down ? TRUE : FALSE;
    key.wRepeatCount = static_cast<WORD>(repeat);
    key.wVirtualKeyCode = static_cast<WORD>(vk);
    key.wVirtualScanCode = static_cast<WORD>(scan);
    key.uChar.UnicodeChar = static_cast<WCHAR>(character);
    key.dwControlKeyState = state;
    return true;
}

bool ParseKeyStep(const std::vector<std::string>& fields, ScriptStep& step, std::string& problem) {
    const std::string& verb = fields[0];
    INPUT_RECORD record;
    if (!ParseKey(fields, verb != "up", record, problem)) return false;
    step.kind = ScriptStep::Kind::kRecords;
    step.records.push_back(record);
    if (verb == "press") {
        if (fields.size() > 5) {
            problem = "press takes no repeat count";
            return false;
        }
        record.Event.KeyEvent.bKeyDown = FALSE;
        step.records.push_back(record);
    }
    return true;
}

INPUT_RECORD OtherRecord(const std::string& verb) {
    INPUT_RECORD record{};
    if (verb == "focus") {
        record.EventType = FOCUS_EVENT;
        record.Event.FocusEvent.bSetFocus = TRUE;
    } else if (verb == "mouse") {
        record.EventType = MOUSE_EVENT;
        record.Event.MouseEvent.dwEventFlags = MOUSE_MOVED;
    } else {
        record.EventType = WINDOW_BUFFER_SIZE_EVENT;
        record.Event.WindowBufferSizeEvent.dwSize = COORD{80, 25};
    }
    return record;
}

std::vector<std::string> Fields(const std::string& line) {
    std::istringstream words(line);
    std::vector<std::string> fields;
    for (std::string word; words >> word && word[0] != '#';) fields.push_back(word);
    return fields;
}

}  // namespace

bool ParseScriptLine(const std::string& line, ScriptStep& step, std::string& problem) {
    step = ScriptStep{};
    const std::vector<std::string> fields = Fields(line);
    if (fields.empty()) return true;
    const std::string& verb = fields[0];
    if (verb == "down" || verb == "up" || verb == "press") return ParseKeyStep(fields, step, problem);
    if (fields.size() == 1 && (verb == "focus" || verb == "mouse" || verb == "size")) {
        step.kind = ScriptStep::Kind::kRecords;
        step.records.push_back(OtherRecord(verb));
        return true;
    }
    if (fields.size() == 1 && (verb == "ctrl-c" || verb == "ctrl-break")) {
        step.kind = ScriptStep::Kind::kControlEvent;
        step.control_event = verb == "ctrl-c" ? CTRL_C_EVENT : CTRL_BREAK_EVENT;
        return true;
    }
    unsigned long wait_ms = 0;
    if (verb == "wait" && fields.size() == 2 && ParseNumber(fields[1], 600000, wait_ms)) {
        step.kind = ScriptStep::Kind::kWait;
        step.wait_ms = wait_ms;
        return true;
    }
    problem = "unknown step \"" + line + "\"";
    return false;
}

}  // namespace korv::test
