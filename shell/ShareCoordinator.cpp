#include "shell/ShareCoordinator.h"

#include "history/share/ShareNames.h"
#include "history/store/formats/BitmapFileWriter.h"
#include "history/store/formats/CBitmapFile.h"
#include "shell/Notices.h"
#include "shell/ShareNotices.h"
#include "shell/TrayIcon.h"

ShareCoordinator::ShareCoordinator(HistoryModel& model, const ClipOptions& options, DurableHistory& durable,
                                   std::function<bool()> paused)
    : m_sharing(model, options), m_durable(durable), m_paused(std::move(paused))
{
    PictureCodec codec;
    codec.encode = [](HBITMAP bitmap, std::vector<std::uint8_t>& bmp) {
        std::vector<BYTE> file;
        if (!EncodeBitmapFile(bitmap, ScreenColorDepth(), file))
            return false;
        bmp.assign(file.begin(), file.end());
        return true;
    };
    codec.decode = [](const std::vector<std::uint8_t>& bmp) { return CBitmapFile::LoadFromMemory(bmp.data(), bmp.size()); };
    m_sharing.SetPictureCodec(std::move(codec));
}

void ShareCoordinator::Start(HWND popup, const std::wstring& dataFolder)
{
    m_popup = popup;
    // The folder's thread may outlive this object at the end: it holds the window's handle, not this.
    m_sharing.RunOnThread([popup] { ::PostMessageW(popup, kReportMessage, 0, 0); });
    m_sharing.SetDataFolder(dataFolder);
    if (m_sharing.Start())
        m_durable.SaveFull();
    Watch();
    ::SetTimer(m_popup, kTimer, kTickMs, nullptr);
    ShowStatus();
}

void ShareCoordinator::Restart()
{
    m_sharing.Stop();
    m_notice.Reset();
    if (m_sharing.Start())
        m_durable.SaveFull();
    Watch();
    ShowStatus();
}

void ShareCoordinator::Watch()
{
    if (!m_sharing.Running() || m_notice)
        return;
    std::wstring root = sharenames::Root(m_sharing.Folder());
    root.pop_back();
    m_notice.Reset(::FindFirstChangeNotificationW(root.c_str(), TRUE,
                                                  FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME |
                                                      FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE));
}

void ShareCoordinator::OnTimer()
{
    if (!m_sharing.Running()) {
        ShowStatus();
        return;
    }
    bool read = ++m_ticks % kTicksPerPoll == 0;
    if (m_notice && ::WaitForSingleObject(m_notice.Get(), 0) == WAIT_OBJECT_0) {
        read = true;
        if (!::FindNextChangeNotification(m_notice.Get()))
            m_notice.Reset();
    }
    if (m_sharing.Tick(read))
        m_durable.SaveFull();
    ShowStatus();
}

void ShareCoordinator::OnReport()
{
    if (m_sharing.TakeReports())
        m_durable.SaveFull();
    // A folder that came back (or was not there at the start) is watched again.
    Watch();
    ShowStatus();
}

void ShareCoordinator::ShowStatus()
{
    const std::wstring tip =
        m_sharing.Running() ? notices::SharedTip(m_sharing.LastShared(), m_sharing.PcCount()) : std::wstring();
    if (tip != m_tip) {
        m_tip = tip;
        TrayIcon::SetTipLine(m_popup, m_paused(), tip);
    }
    std::wstring pc;
    const HistorySharing::Problem problem = m_sharing.TakeProblem(pc);
    if (problem != HistorySharing::Problem::None)
        ShowTrayBalloon(m_popup, notices::kTitle, notices::ShareProblem(problem, pc), true);
}

void ShareCoordinator::Finish()
{
    ::KillTimer(m_popup, kTimer);
    m_sharing.Finish();
}
