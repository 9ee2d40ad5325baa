// Keeps C++ exceptions from unwinding through the system's message dispatch.
//
// The system calls window and dialog procedures, and COM methods, from its own
// code; on x64 Windows an exception cannot cross the kernel's user-mode
// callback (the process ends, or the exception silently disappears). So every
// procedure and callback that the system calls runs its work through
// CallAtBoundary: an exception that leaves the work is held for the thread
// (the first one wins) and the innermost running modal dialog is ended. The
// framework raises the held exception again as soon as it has control back
// outside the system's code: CDialog::DoModal once the dialog has returned,
// CWnd::Create and CDialog::Create once the window exists, and the message
// loop of CWinApp after each message. A modal dialog that starts while an
// exception is held ends at once. Nested loops unwind one at a time: the
// exception comes out of the inner DoModal inside a handler of the outer
// dialog, whose boundary holds it again and ends that dialog in turn. A
// message box that a handler has open is not ended; the exception comes out
// once it has been answered and its handler has returned.
#pragma once

#include <exception>

namespace Win32xx {

class CWnd;

// Holds `exception` unless one is held already, and ends the innermost
// running modal dialog of the thread.
void HoldException(std::exception_ptr exception) noexcept;
bool IsExceptionHeld() noexcept;
// Raises the held exception again, if there is one, and forgets it.
void RethrowHeldException();

// Runs `work`, the body of a procedure or callback that the system calls.
// When an exception leaves it, holds the exception and returns `failed`.
template <typename Result, typename Work>
Result CallAtBoundary(Result failed, Work&& work) noexcept
{
    try {
        return work();
    } catch (...) {
        HoldException(std::current_exception());
        return failed;
    }
}

// Makes a modal dialog the innermost one of its thread while its loop runs.
class ModalScope {
public:
    explicit ModalScope(const CWnd& dialog) noexcept;
    ~ModalScope();
    ModalScope(const ModalScope&) = delete;
    ModalScope& operator=(const ModalScope&) = delete;

    const CWnd& Dialog() const noexcept { return m_dialog; }

private:
    const CWnd& m_dialog;
    const ModalScope* m_outer;
};

}  // namespace Win32xx
