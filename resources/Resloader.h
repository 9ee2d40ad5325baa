// The resource bootstrap dialog: downloads the resource archive from the
// built-in address, extracts it, and reports the path of resources.db. Its
// bar shows the download from 0 to 100 and the extraction from 100 to 200.
// Every failure ends the program through Die(); the user cannot cancel.
#pragma once

#include "framework/Dialog.h"
#include "framework/ProgressBar.h"
#include "tasks/DownloadTask.h"
#include "tasks/TaskSequence.h"
#include "tasks/UnzipTask.h"
#include "wizard/controls/CWebBrowserEx.h"

class Resloader : public Win32xx::CDialog {
public:
    Resloader();

    // The full path of resources.db once the extraction has finished, else
    // empty (or the path that was not found).
    const Win32xx::CString& GetResourceFilePath() const noexcept { return m_resourceFilePath; }

protected:
    INT_PTR DialogProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnCancel() override {}
    // The user cannot cancel the bootstrap; Enter is IDOK.
    void OnOK() override {}
    BOOL OnInitDialog() override;

private:
    void OnTaskProgress(WPARAM threadId, int percent);
    static void OnTaskError(const std::wstring* text);
    // Prepares the extraction; false when the run stops instead.
    bool OnDownloadFinished();
    void OnExtractionFinished();

    Win32xx::CString m_resourceFilePath;
    Win32xx::CProgressBar m_progressBar;
    UnzipTask m_unzipTask;
    DownloadTask m_downloadTask;
    CWebBrowserEx m_browser;
    // The download, then the extraction; declared after the tasks.
    TaskSequence m_sequence;
};
