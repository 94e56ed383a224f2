#include "exec/commandterminal.h"

#include <string>

#include "console/keys.h"
#include "exec/keybytes.h"
#include "exec/ptysession.h"

void CCommandTerminal::Key(int code) {
    std::string bytes;
    if (code == KEY_SHIFT_INS) {
        Westring text;
        if (console && console->GetClipText(text)) bytes = text.ToUTF8().c_str();
    } else if (!TerminalKeyBytes(code, false, bytes)) {
        return;
    }
    if (!bytes.empty()) session_.Input(bytes.data(), bytes.size());
}

void CCommandTerminal::Output(const char* utf8) {
    if (console) console->WriteTeletype(utf8);
}
