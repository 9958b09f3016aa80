// The part every configuration view shares: IGView's constant answers and
// its IDispatch, so a scripting host can call the seven methods by name.
// GetData, SetData and GetOrgSize belong to the page: they stay pure here,
// so a view that lacks one cannot be built.
#pragma once

#include <vantrel/vantrel.h>

#include "contract/class_info.h"

namespace vantrel {

class View : public IGView {
public:
    // QueryInterface map: IUnknown, own interface, IGView, IDispatch. The
    // own interface has no methods, so it shares the IGView vtable, and
    // IDispatch yields IGView.
    void* FindInterface(REFIID riid);

    HRESULT GetTypeInfoCount(UINT* count) override;
    HRESULT GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
    HRESULT GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid,
                          DISPID* ids) override;
    HRESULT Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params,
                   VARIANT* result, EXCEPINFO* excep, UINT* arg_err) override;

    HRESULT GetDisplayName(BSTR* value) override;
    HRESULT NeedConfiguration(SHORT* value) override;
    HRESULT GetID(LONG* value) override;
    HRESULT GetTimeInterval(LONG* value) override;

    const ClassInfo& Info() const { return m_info; }

protected:
    // display_name: UTF-8, static storage.
    View(const ClassInfo& info, const char* display_name);
    virtual ~View() = default;

private:
    HRESULT InvokeMethod(DISPID id, DISPPARAMS& params, VARIANT& result, UINT* arg_err);

    const ClassInfo& m_info;
    const char* m_display_name;
};

}  // namespace vantrel
