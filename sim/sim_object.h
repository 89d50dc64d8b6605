#pragma once
// The base of every object of the simulated host: a late-bound IDispatch with a table of named
// members, a journal of the calls it receives, injectable failures, and a count of live objects
// so a test can prove that everything the add-in took was given back.
#include <windows.h>
#include <oaidl.h>

#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace sim {

// Every call the simulated host receives, in order. One failure can be injected at a position.
class Journal {
public:
    static Journal& Get();
    void Clear();
    // Records one call; returns the failure to inject for it, or S_OK.
    HRESULT Record(const std::string& entry, HRESULT injected);
    std::vector<std::string> Entries() const;
    size_t Count() const;
    // Makes call number `position` (0-based, counted from now on) fail; -1 for none.
    void FailAt(long position);
    // Makes the `occurrence`-th call (1-based, from now on) whose entry starts with `prefix` fail.
    void FailNth(const std::string& prefix, int occurrence);

private:
    mutable std::mutex lock_;
    std::vector<std::string> entries_;
    long failAt_ = -1;
    std::string failPrefix_;
    int failOccurrence_ = 0;
};

std::string Narrow(const std::wstring& text);
// A VARIANT as the journal writes it: i4:1, i2:-1, bool:-1, str:Text, missing, object, null, empty.
std::string Describe(const VARIANT& value);

struct Call {
    WORD flags;
    std::vector<VARIANT*> args;  // in parameter order; a put's value is the last
    VARIANT* result;
};

class SimObject : public IDispatch {
public:
    using Handler = std::function<HRESULT(Call&)>;

    SimObject(std::string className, std::vector<IID> interfaces);
    SimObject(const SimObject&) = delete;
    SimObject& operator=(const SimObject&) = delete;

    STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override;
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO*,
                        UINT*) override;

    ULONG RefCount() const { return references_; }
    const std::string& ClassName() const { return className_; }
    // A member that fails with `hr` when invoked, or (lookup true) whose name is unknown.
    void FailMember(const std::wstring& name, HRESULT hr, bool lookup = false);
    void ClearFailures();
    // Objects of the simulated host alive in this process.
    static long LiveObjects();

    // Defines or replaces a member (tests give members odd answers this way).
    void Member(DISPID id, const std::wstring& name, Handler handler);

protected:
    virtual ~SimObject();
    // Further interfaces an object answers besides its own list (connection points).
    virtual void* ExtraInterface(REFIID) { return nullptr; }

private:
    struct Entry {
        std::wstring name;
        Handler handler;
    };
    std::string className_;
    std::vector<IID> interfaces_;
    std::map<DISPID, Entry> members_;
    std::map<std::wstring, HRESULT> invokeFailures_;
    std::map<std::wstring, bool> lookupFailures_;
    ULONG references_ = 1;  // the creator's reference
};

// Result helpers for handlers.
HRESULT ReturnString(Call& call, const std::wstring& text);
HRESULT ReturnInt(Call& call, LONG value);
HRESULT ReturnBool(Call& call, bool value);
HRESULT ReturnObject(Call& call, IDispatch* object);  // null returns Nothing
// Argument readers; a missing or mistyped argument raises DISP_E_TYPEMISMATCH via the bool.
bool ArgString(const Call& call, size_t index, std::wstring& text);
bool ArgInt(const Call& call, size_t index, LONG& value);
bool ArgMissing(const Call& call, size_t index);

// An owned reference to a simulated object.
template <class T>
class Ref {
public:
    Ref() = default;
    explicit Ref(T* adopted) : object_(adopted) {}
    Ref(const Ref& other) : object_(other.object_) {
        if (object_) object_->AddRef();
    }
    Ref& operator=(Ref other) {
        std::swap(object_, other.object_);
        return *this;
    }
    ~Ref() {
        if (object_) object_->Release();
    }
    T* operator->() const { return object_; }
    T* Get() const { return object_; }
    explicit operator bool() const { return object_ != nullptr; }
    void Reset() { *this = Ref(); }

private:
    T* object_ = nullptr;
};

template <class T, class... Args>
Ref<T> Make(Args&&... args) {
    return Ref<T>(new T(std::forward<Args>(args)...));
}

}  // namespace sim
