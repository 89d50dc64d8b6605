// Help: opens the writer's help file from its installation folder.
#include "addin/project_addin_obj.h"
#include "addin/resource_library.h"
#include "platform/platform.h"
#include "writer/writer_settings.h"

namespace vrz {

void STDMETHODCALLTYPE ProjectAddinObj::ShowHelp(IDispatch*, VARIANT_BOOL*) {
    try {
        std::wstring folder = ReadString(kWriterKey, kRootLocalMachine, kInstallDirValue);
        // Without a real installation folder there is no help file to trust: open nothing.
        if (!IsAbsolutePath(folder)) return;
        CurrentPlatform().OpenDocument(folder + L"\\VRZ_Writer_2D_Help.chm");
    } catch (...) {
        // A click has no one to report to.
    }
}

}  // namespace vrz
