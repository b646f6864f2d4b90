// A dialog template of the resources split in two: the template without some
// of its controls, to create the dialog from, and those controls, to create
// in the dialog later, when they are first needed. Each control costs a
// window, and many dialogs never need some of theirs.
#pragma once
#include <windows.h>
#include <initializer_list>
#include <string>
#include <vector>

namespace win {

class SplitTemplate {
public:
    // Throws when the template is missing or not an extended template.
    // `ownIds`: controls left out that createLater does not make: the program
    // makes each itself when it needs it, with createOne or of its own class,
    // in its template place.
    SplitTemplate(UINT templateId, std::initializer_list<int> laterIds, std::initializer_list<int> ownIds = {});

    const DLGTEMPLATE* withoutLater() const { return reinterpret_cast<const DLGTEMPLATE*>(bytes_.data()); }
    // Creates the controls left out (but the own ones) in `dialog` as the dialog manager would
    // have: in template order (so in the tab order after the controls made
    // with the dialog), each in its template place with its style and text,
    // the dialog's font and the default button. False when one could not be
    // created.
    bool createLater(HWND dialog) const;
    // Creates the control `id` left out in `dialog` as createLater would,
    // but last in the tab order; null when it could not be created.
    HWND createOne(HWND dialog, int id) const;
    // Where a control left out lies in `dialog`, in its client pixels, made or
    // not; an empty rectangle for an id that is not one of them.
    RECT laterRect(HWND dialog, int id) const;
    // A control left out's extended style in the template, or 0.
    DWORD laterExStyle(int id) const;

private:
    struct Control {
        DWORD style, exStyle;
        RECT units;  // in dialog units
        int id;
        std::wstring className, text;
    };
    static HWND create(HWND dialog, const Control& c);
    std::vector<DWORD> bytes_;  // dialog templates are DWORD aligned
    std::vector<Control> later_;
    std::vector<int> own_;
};

}  // namespace win
