#pragma once
// How the settings dialog is opened for an entry (EditDevice), once for every front-end:
// one dialog at a time; the module is read while the dialog is hidden; a failed read, or an
// error raised by it, closes the dialog unseen (the error then passes to the caller); the
// result is true only when the dialog closed with OK.
//
// A front-end's EditDevice: begin(); create its dialog; if load(read) show it modally, else
// close it; return end(closed with OK).

#include <exception>
#include <functional>

class DialogOpening
{
public:
    DialogOpening() = default;
    ~DialogOpening();
    DialogOpening(const DialogOpening&) = delete;
    DialogOpening& operator=(const DialogOpening&) = delete;

    // Claims the one dialog; false when another is open, and then nothing else is done.
    bool begin();
    // Runs the hidden dialog's read: true to show the dialog, false to close it unseen. An
    // error the read raises is kept for end().
    bool load(const std::function<bool()>& read);
    // Once the dialog has closed: raises a kept read error, else whether it closed with OK.
    bool end(bool closedWithOk);

    // Whether a dialog is open now.
    static bool anyOpen();

private:
    void release();

    bool m_claimed = false;
    bool m_loaded = false;
    std::exception_ptr m_readError;
};
