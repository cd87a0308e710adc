// dialog_builder.h - extended dialog templates (DLGTEMPLATEEX) built in
// memory, for cases a resource compiler cannot express or compiles
// differently: mixed control styles, 32-bit ids such as -1, and control
// creation data. Laid out as Windows reads them: words, DWORD-aligned items.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace portable {

class DialogBuilder {
public:
    DialogBuilder(DWORD style, const char *title, short cx = 120, short cy = 60) {
        dword(0xFFFF0001);  // dlgVer 1, signature 0xFFFF
        dword(0);           // help id
        dword(0);           // extended style
        dword(style | DS_SETFONT);
        count_at_ = words_.size();
        word(0);  // cDlgItems, counted as items are added
        word(0), word(0), word(static_cast<WORD>(cx)), word(static_cast<WORD>(cy));
        word(0), word(0);  // no menu, the dialog class
        text(title);
        word(8), word(400), word(0);  // 8 points, FW_NORMAL, italic and charset
        text("MS Shell Dlg");
    }

    // A control of a named class; data, when given, is its creation data.
    DialogBuilder &item(const char *cls, const char *text_, DWORD id, DWORD style, DWORD ex_style = 0,
                        const std::vector<WORD> &data = {}) {
        align();
        dword(0), dword(ex_style), dword(style);
        word(4), word(static_cast<WORD>(4 + 12 * items_)), word(60), word(10);
        dword(id);
        text(cls);
        text(text_);
        word(static_cast<WORD>(data.size() * sizeof(WORD)));
        for (WORD w : data) word(w);
        words_[count_at_] = static_cast<WORD>(++items_);
        return *this;
    }

    LPCDLGTEMPLATEA get() const { return reinterpret_cast<LPCDLGTEMPLATEA>(words_.data()); }

private:
    void word(WORD w) { words_.push_back(w); }
    void dword(DWORD d) { word(LOWORD(d)), word(HIWORD(d)); }
    void text(const char *s) {  // ASCII only, which is all the tests need
        for (; *s; ++s) word(static_cast<unsigned char>(*s));
        word(0);
    }
    void align() {
        if (words_.size() % 2) word(0);
    }
    std::vector<WORD> words_;
    size_t count_at_ = 0;
    int items_ = 0;
};

}  // namespace portable
