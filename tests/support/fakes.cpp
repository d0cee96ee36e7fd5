#include "support/fakes.h"

#include "app/application.h"
#include "controls/messagebox.h"

TestMainWindow::TestMainWindow(quint16 langId, std::unique_ptr<VolumeNotifier> notifier)
{
    prepareApplication();
    messagebox::recordInsteadOfShowing();
    auto recordingShell = std::make_unique<RecordingShell>();
    if (!notifier)
        notifier = std::make_unique<VolumeNotifier>();
    shell = recordingShell.get();
    volumes = notifier.get();
    window = std::make_unique<FrmMain>(PlatformServices{
        [langId] { return langId; }, 1252, std::move(recordingShell), std::move(notifier)});
}
