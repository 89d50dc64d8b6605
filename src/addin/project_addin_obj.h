#pragma once
// ProjectAddinObj: the add-in's one COM object. It holds the host's Application, the five
// command bar buttons it created and the resource library, and owns the click sinks.
#include <windows.h>
#include <array>
#include <string>

#include "VRZProjectAddin_h.h"
#include "addin/button_click_sink.h"
#include "addin/click_handlers.h"
#include "addin/dispatch_part.h"
#include "com/com_ptr.h"
#include "commandbars/office_interfaces.h"
#include "publishing/host_interfaces.h"

namespace vrz {

class ProjectAddinObj final : public ISupportErrorInfo,
                              public DispatchPart<IProjectAddinObj>,
                              public DispatchPart<_IDTExtensibility2>,
                              public ClickHandlers {
public:
    // The class object's CreateInstance: stand-alone, or inside an aggregate when outer is set.
    static HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** object) noexcept;

    // IUnknown of every part: delegates to the controlling object when aggregated.
    STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // ISupportErrorInfo
    STDMETHODIMP InterfaceSupportsErrorInfo(REFIID riid) override;

    // _IDTExtensibility2
    STDMETHODIMP OnConnection(IDispatch* application, ext_ConnectMode mode, IDispatch* addInInst,
                              SAFEARRAY** custom) override;
    STDMETHODIMP OnDisconnection(ext_DisconnectMode mode, SAFEARRAY** custom) override;
    STDMETHODIMP OnAddInsUpdate(SAFEARRAY**) override { return E_NOTIMPL; }
    STDMETHODIMP OnStartupComplete(SAFEARRAY**) override { return E_NOTIMPL; }
    STDMETHODIMP OnBeginShutdown(SAFEARRAY**) override { return E_NOTIMPL; }

    // Click handlers (no exception leaves them).
    void STDMETHODCALLTYPE OnToolbarPublishClick(IDispatch* ctrl, VARIANT_BOOL* cancelDefault) override;
    void STDMETHODCALLTYPE OnToolbarPublishMailClick(IDispatch* ctrl, VARIANT_BOOL* cancelDefault) override;
    void STDMETHODCALLTYPE OnMenuPublishClick(IDispatch* ctrl, VARIANT_BOOL* cancelDefault) override;
    void STDMETHODCALLTYPE OnMenuPublishMailClick(IDispatch* ctrl, VARIANT_BOOL* cancelDefault) override;
    void STDMETHODCALLTYPE ShowHelp(IDispatch* ctrl, VARIANT_BOOL* cancelDefault) override;

    // Host automation (host_automation.cpp).
    HRESULT GetCommandBars(ComPtr<HostApplication> application, ComPtr<CommandBars>& bars);
    HRESULT QueryActiveDocument(int& flag);
    HRESULT GetActiveProjectName(std::wstring& text);
    HRESULT GetHostVersion(ComPtr<HostApplication> application, std::wstring& text);
    HRESULT CallFilePrintSetup(const std::wstring& printerName);
    // -1 (TRUE) when the host printed; 0 when it did not, or FilePrint could not be reached.
    int CallFilePrint(ComPtr<HostApplication> application);
    int HasActiveProjectContent();

    // Command bars (commandbars/).
    HRESULT BuildToolbar(IDispatch* application);
    HRESULT SaveToolbarState();
    HRESULT BuildMenu();
    HRESULT RemoveMenu();

    // Publishing and printer detection (publishing/, writer/).
    int Publish(bool withMail);
    int CheckWriterPrinter();
    int ParseIntPair(int& first, int& second, const std::wstring& text);

    // The object's state, read by every operation above and by tests.
    ComPtr<HostApplication> HostApp;
    ComPtr<CommandBarButton> ToolbarPublishButton;
    ComPtr<CommandBarButton> ToolbarPublishMailButton;
    ComPtr<CommandBarButton> MenuPublishItem;
    ComPtr<CommandBarButton> MenuPublishMailItem;
    ComPtr<CommandBarButton> MenuHelpItem;
    std::wstring SavedDefaultPrinter;
    HMODULE ResourceLibrary = nullptr;

    // The sinks in connection order, each with the button it listens to.
    const ButtonClickSink& Sink(size_t index) const { return sinks_[index]; }
    static constexpr size_t kSinkCount = 5;

private:
    explicit ProjectAddinObj(IUnknown* outer) noexcept;
    ~ProjectAddinObj();

    // The aggregate's own IUnknown: counts this object's references and answers its interfaces.
    class InnerUnknown final : public IUnknown {
    public:
        explicit InnerUnknown(ProjectAddinObj& owner) noexcept : owner_(owner) {}
        STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
        STDMETHODIMP_(ULONG) AddRef() override;
        STDMETHODIMP_(ULONG) Release() override;

    private:
        ProjectAddinObj& owner_;
    };

    ComPtr<CommandBarButton>* SinkButton(size_t index);
    void ConnectSinks();
    void DisconnectSinks();

    InnerUnknown inner_;
    IUnknown* const controlling_;  // the outer object, or this object's own inner IUnknown
    ULONG references_ = 0;         // single-threaded apartment: plain arithmetic
    std::array<ButtonClickSink, kSinkCount> sinks_;
};

}  // namespace vrz
