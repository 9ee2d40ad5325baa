#include "ProcedureBoundary.h"

#include <utility>

#include "Wnd.h"

namespace Win32xx {

namespace {
thread_local std::exception_ptr t_held;
thread_local const ModalScope* t_innermostModal = nullptr;
}  // namespace

ModalScope::ModalScope(const CWnd& dialog) noexcept : m_dialog(dialog), m_outer(t_innermostModal)
{
    t_innermostModal = this;
}

ModalScope::~ModalScope()
{
    t_innermostModal = m_outer;
}

void HoldException(std::exception_ptr exception) noexcept
{
    if (!t_held)
        t_held = std::move(exception);
    // A dialog whose window does not exist yet ends when it gets it.
    if (t_innermostModal && t_innermostModal->Dialog().IsWindow())
        ::EndDialog(t_innermostModal->Dialog().GetHwnd(), IDABORT);
    // A loop notices the end only once it retrieves a message; a message that
    // another thread sent is handled inside GetMessage, which goes on waiting.
    ::PostThreadMessageW(::GetCurrentThreadId(), WM_NULL, 0, 0);
}

bool IsExceptionHeld() noexcept
{
    return t_held != nullptr;
}

void RethrowHeldException()
{
    if (t_held)
        std::rethrow_exception(std::exchange(t_held, nullptr));
}

}  // namespace Win32xx
