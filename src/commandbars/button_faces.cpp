#include "commandbars/button_faces.h"

#include "addin/resource_ids.h"
#include "commandbars/late_bound.h"

namespace vrz {

ButtonFaces::ButtonFaces(HMODULE library, UINT loadFlags) {
    constexpr unsigned ids[] = {res::PublishFace, res::PublishMask, res::PublishMailFace, res::PublishMailMask};
    for (size_t i = 0; i < bitmaps_.size(); ++i)
        bitmaps_[i].Reset(LoadImageW(library, MAKEINTRESOURCEW(ids[i]), IMAGE_BITMAP, 0, 0, loadFlags));
}

ComPtr<IPictureDisp> ButtonFaces::MakePicture(size_t index) {
    PICTDESC description{};
    description.cbSizeofstruct = sizeof(PICTDESC);
    description.picType = PICTYPE_BITMAP;
    description.bmp.hbitmap = static_cast<HBITMAP>(bitmaps_[index].Get());
    description.bmp.hpal = nullptr;
    ComPtr<IPictureDisp> picture;
    // A picture that cannot be made is passed on as null, as the host accepts.
    if (bitmaps_[index] && SUCCEEDED(OleCreatePictureIndirect(&description, IID_IPictureDisp, TRUE,
                                                               reinterpret_cast<void**>(picture.GetAddressOf())))) {
        bitmaps_[index].Release();  // the picture owns it now
    }
    pictures_[index] = picture;
    return picture;
}

void ButtonFaces::ApplyButtonFace(CommandBarButton* button, size_t picture, size_t mask) {
    ComPtr<IPictureDisp> face = MakePicture(picture);
    ComPtr<IPictureDisp> faceMask = MakePicture(mask);
    OfficeObject target(button, IID_CommandBarButton);
    target.Put(L"Picture", Variant::Dispatch(face.Get()));
    target.Put(L"Mask", Variant::Dispatch(faceMask.Get()));
}

}  // namespace vrz
