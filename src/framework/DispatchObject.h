#pragma once
// The IDispatch of an object of the framework: its methods by name and DISPID, and further interface ids
// (event interfaces it sinks) answered with the same IDispatch.
//
// The object lives inside its owner and is owned by it, not by its references: they are counted so that a
// leak shows, but nothing is freed when they reach zero. An owner must therefore disconnect every holder
// (unadvise its sinks) before it goes.
#include <windows.h>
#include <oaidl.h>

#include <atomic>
#include <functional>
#include <string>
#include <vector>

namespace movalent {

class DispatchObject final : public IDispatch {
public:
    // A member's call: the arguments as the caller passed them (last first) and the result to fill, when the
    // caller wants one.
    using Method = std::function<HRESULT(DISPPARAMS& params, VARIANT* result)>;

    DispatchObject() = default;
    DispatchObject(const DispatchObject&) = delete;
    DispatchObject& operator=(const DispatchObject&) = delete;

    void AddMethod(const std::wstring& name, DISPID id, Method method);
    void AnswerInterface(const IID& iid);

    // The IDispatch, with a reference added for the caller when addRef is set.
    IDispatch* GetIDispatch(bool addRef);
    ULONG References() const { return references_; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** result) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override { return --references_; }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO*, UINT*) override;

private:
    struct Member {
        std::wstring name;
        DISPID id;
        Method method;
    };

    std::vector<Member> members_;
    std::vector<IID> interfaces_;
    std::atomic<ULONG> references_{0};
};

} // namespace movalent
