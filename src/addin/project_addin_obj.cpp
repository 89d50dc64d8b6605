#include "addin/project_addin_obj.h"

#include <memory>
#include <new>

#include "addin/addin_globals.h"
#include "addin/resource_ids.h"
#include "addin/resource_library.h"
#include "com/com_error.h"
#include "com/query.h"
#include "module/module_lock.h"
#include "publishing/publish_job.h"
#include "writer/writer_settings.h"

namespace vrz {
namespace {

// {AC0714F2-3D04-11D1-AE7D-00A0C90F26F4}: the type library that publishes _IDTExtensibility2.
constexpr GUID LIBID_AddInDesignerObjects = {0xAC0714F2, 0x3D04, 0x11D1, {0xAE, 0x7D, 0x00, 0xA0, 0xC9, 0x0F, 0x26, 0xF4}};

TypeInfoSource ownTypeInfo(LIBID_VRZProjectAddinLib, IID_IProjectAddinObj, true);
TypeInfoSource extensibilityTypeInfo(LIBID_AddInDesignerObjects, IID__IDTExtensibility2, false);

}  // namespace

ProjectAddinObj::ProjectAddinObj(IUnknown* outer) noexcept
    : DispatchPart<IProjectAddinObj>(ownTypeInfo),
      DispatchPart<_IDTExtensibility2>(extensibilityTypeInfo),
      inner_(*this),
      controlling_(outer ? outer : &inner_),
      sinks_{{{*static_cast<IProjectAddinObj*>(this), *this, 1},
              {*static_cast<IProjectAddinObj*>(this), *this, 2},
              {*static_cast<IProjectAddinObj*>(this), *this, 3},
              {*static_cast<IProjectAddinObj*>(this), *this, 4},
              {*static_cast<IProjectAddinObj*>(this), *this, 8}}} {
    LockModule();
}

ProjectAddinObj::~ProjectAddinObj() {
    UnlockModule();
    // Released in this order; the host owns the toolbar and menu themselves.
    MenuHelpItem.Reset();
    MenuPublishMailItem.Reset();
    MenuPublishItem.Reset();
    ToolbarPublishMailButton.Reset();
    ToolbarPublishButton.Reset();
    HostApp.Reset();
}

HRESULT ProjectAddinObj::CreateInstance(IUnknown* outer, REFIID riid, void** object) noexcept {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (outer && riid != IID_IUnknown) return CLASS_E_NOAGGREGATION;
    auto* created = new (std::nothrow) ProjectAddinObj(outer);
    if (!created) return E_OUTOFMEMORY;
    created->inner_.AddRef();
    HRESULT hr = created->inner_.QueryInterface(riid, object);
    created->inner_.Release();  // destroys the object when the query failed
    return hr;
}

STDMETHODIMP ProjectAddinObj::InnerUnknown::QueryInterface(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    IUnknown* part = nullptr;
    if (riid == IID_IUnknown) {
        part = owner_.controlling_ == this ? static_cast<IUnknown*>(static_cast<IProjectAddinObj*>(&owner_))
                                           : static_cast<IUnknown*>(this);
    } else if (riid == IID_IProjectAddinObj) {
        part = static_cast<IProjectAddinObj*>(&owner_);
    } else if (riid == IID_IDispatch || riid == IID__IDTExtensibility2) {
        part = static_cast<_IDTExtensibility2*>(&owner_);
    } else if (riid == IID_ISupportErrorInfo) {
        part = static_cast<ISupportErrorInfo*>(&owner_);
    }
    *object = part;
    if (!part) return E_NOINTERFACE;
    part->AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) ProjectAddinObj::InnerUnknown::AddRef() { return ++owner_.references_; }

STDMETHODIMP_(ULONG) ProjectAddinObj::InnerUnknown::Release() {
    ULONG remaining = --owner_.references_;
    if (remaining == 0) delete &owner_;
    return remaining;
}

STDMETHODIMP ProjectAddinObj::QueryInterface(REFIID riid, void** object) {
    return controlling_->QueryInterface(riid, object);
}
STDMETHODIMP_(ULONG) ProjectAddinObj::AddRef() { return controlling_->AddRef(); }
STDMETHODIMP_(ULONG) ProjectAddinObj::Release() { return controlling_->Release(); }

STDMETHODIMP ProjectAddinObj::InterfaceSupportsErrorInfo(REFIID riid) {
    return riid == IID_IProjectAddinObj ? S_OK : S_FALSE;
}

ComPtr<CommandBarButton>* ProjectAddinObj::SinkButton(size_t index) {
    // std::addressof: ComPtr's operator& releases what it holds.
    ComPtr<CommandBarButton>* buttons[kSinkCount] = {
        std::addressof(ToolbarPublishButton), std::addressof(ToolbarPublishMailButton),
        std::addressof(MenuPublishItem), std::addressof(MenuPublishMailItem), std::addressof(MenuHelpItem)};
    return buttons[index];
}

void ProjectAddinObj::ConnectSinks() {
    for (size_t i = 0; i < kSinkCount; ++i) sinks_[i].Connect(SinkButton(i)->Get());
}

void ProjectAddinObj::DisconnectSinks() {
    for (size_t i = 0; i < kSinkCount; ++i) {
        // A button whose connection point could not be reached still holds the sink, and so this
        // object: let go of the button, so that the host can free it and the sink with it.
        if (FAILED(sinks_[i].Disconnect(SinkButton(i)->Get()))) SinkButton(i)->Reset();
    }
}

STDMETHODIMP ProjectAddinObj::OnConnection(IDispatch* application, ext_ConnectMode, IDispatch*, SAFEARRAY**) {
    return ComBoundary([&]() -> HRESULT {
        // A connection without a disconnection before it gives back its library first.
        if (ResourceLibrary) FreeLibrary(ResourceLibrary);
        ResourceLibrary = nullptr;
        try {
            ResourceLibrary = LoadResourceLibrary(ReadString(kWriterKey, kRootLocalMachine, kInstallDirValue));
        } catch (...) {
            ResourceLibrary = nullptr;
        }
        ResourceInstance = ResourceLibrary;
        if (!ResourceLibrary) return S_OK;  // inert: no commands, no message

        ComPtr<HostApplication> host;
        if (!application || FAILED(QueryAs(application, IID_HostApplication, host))) return E_FAIL;
        HostApp = host;

        std::wstring version;
        HRESULT result = GetHostVersion(host, version);
        if (FAILED(result)) return S_FALSE;

        PublishText = LoadResString(ResourceLibrary, res::Publish);
        PublishMailText = LoadResString(ResourceLibrary, res::PublishMail);
        MenuTitleText = LoadResString(ResourceLibrary, res::MenuTitle);
        ToolbarNameText = LoadResString(ResourceLibrary, res::ToolbarName);
        HelpText = LoadResString(ResourceLibrary, res::Help);
        if (PublishText.empty() || PublishMailText.empty()) return S_OK;

        try {
            result = BuildToolbar(application);
            result = BuildMenu();
        } catch (...) {
            // The add-in stays with what was built; the sinks below attach to the buttons that exist.
        }
        ConnectSinks();
        PublishJob.jobBusy = 0;
        return result;
    });
}

STDMETHODIMP ProjectAddinObj::OnDisconnection(ext_DisconnectMode, SAFEARRAY**) {
    return ComBoundary([&]() -> HRESULT {
        if (!ResourceLibrary) return S_OK;
        FreeLibrary(ResourceLibrary);
        // Cleared so that nothing can use the freed module and a second disconnection does nothing.
        ResourceLibrary = nullptr;
        ResourceInstance = nullptr;
        HRESULT result = S_OK;
        try {
            result = RemoveMenu();
            result = SaveToolbarState();
        } catch (...) {
            // The rest of the disconnection goes on.
        }
        DisconnectSinks();
        return result;
    });
}

void STDMETHODCALLTYPE ProjectAddinObj::OnToolbarPublishClick(IDispatch*, VARIANT_BOOL*) { Publish(false); }
void STDMETHODCALLTYPE ProjectAddinObj::OnToolbarPublishMailClick(IDispatch*, VARIANT_BOOL*) { Publish(true); }
void STDMETHODCALLTYPE ProjectAddinObj::OnMenuPublishClick(IDispatch*, VARIANT_BOOL*) { Publish(false); }
void STDMETHODCALLTYPE ProjectAddinObj::OnMenuPublishMailClick(IDispatch*, VARIANT_BOOL*) { Publish(true); }

int ProjectAddinObj::ParseIntPair(int& first, int& second, const std::wstring& text) {
    return vrz::ParseIntPair(first, second, text);
}

}  // namespace vrz
