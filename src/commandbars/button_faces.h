#pragma once
// The faces of the Publish and Publish-and-e-mail commands: picture and mask bitmaps from the
// resource library, made into OLE pictures and assigned to a button's Picture and Mask.
#include <windows.h>
#include <ocidl.h>
#include <olectl.h>
#include <array>

#include "com/com_ptr.h"
#include "com/unique_handle.h"
#include "commandbars/office_interfaces.h"

namespace vrz {

// The four bitmaps of one build (107, 108, 111, 112), loaded at construction with the builder's
// flags. Each bitmap is freed exactly once: by the picture that took it over, or here.
class ButtonFaces {
public:
    ButtonFaces(HMODULE library, UINT loadFlags);
    void ApplyPublish(CommandBarButton* button) { ApplyButtonFace(button, 0, 1); }
    void ApplyPublishMail(CommandBarButton* button) { ApplyButtonFace(button, 2, 3); }

private:
    void ApplyButtonFace(CommandBarButton* button, size_t picture, size_t mask);
    ComPtr<IPictureDisp> MakePicture(size_t index);

    std::array<GdiObject, 4> bitmaps_;
    std::array<ComPtr<IPictureDisp>, 4> pictures_;  // released first: declared last
};

}  // namespace vrz
