// The view base: the constant answers of every view and IGView's IDispatch.
#include "contract/view.h"
#include "contract_test_support.h"

namespace vantrel::test {
namespace {

struct ViewExpectation {
    const char* view;
    const char* updater;
    LONG id;
    const char* display_name;
};

const ViewExpectation kViews[] = {
    {"Dynam", "DynamObj", 14, "dynam.ac"},
    {"Dynup", "DynupObj", 15, "dynup.net"},
    {"DnsExitView", "DnsExit", 16, "dnsexit.com"},
    {"EuroDynDns", "EuroDynDnsObj", 17, "eurodyndns.org"},
    {"Win2000", "Win2000Obj", 18, "Windows 2000 DNS Server"},
    {"GnuDIP2View", "GnuDIP2Obj", 19, "LinuxRC Network"},
    {"GenGnuDIPView", "GenGnuDIPObj", 20, "Generic GnuDIP2"},
    {"DipDNS", "DipDNSObj", 21, "DipDNS Network"},
    {"DyFiView", "DyFi", 22, "dy.fi - Dynamic DNS for Finnish users"},
};

TEST(View, ConstantAnswersOfEveryView) {
    for (const ViewExpectation& e : kViews) {
        SCOPED_TRACE(e.view);
        ComPtr<IGView> view = Create<IGView>(ClassNamed(e.view), IID_IGView);
        ComPtr<IIPUpdate> updater = Create<IIPUpdate>(ClassNamed(e.updater), IID_IIPUpdate);
        ASSERT_TRUE(view && updater);
        SHORT need = 0;
        LONG interval = -1, view_id = 0, updater_id = 0;
        EXPECT_EQ(view->NeedConfiguration(&need), S_OK);
        EXPECT_EQ(need, 1);
        EXPECT_EQ(view->GetTimeInterval(&interval), S_OK);
        EXPECT_EQ(interval, 0);
        EXPECT_EQ(view->GetID(&view_id), S_OK);
        EXPECT_EQ(updater->GetID(&updater_id), S_OK);
        EXPECT_EQ(view_id, e.id);
        EXPECT_EQ(updater_id, view_id);
        Bstr name;
        EXPECT_EQ(view->GetDisplayName(name.Put()), S_OK);
        EXPECT_EQ(name.Narrow(), e.display_name);
        EXPECT_EQ(view->GetDisplayName(nullptr), E_POINTER);
        EXPECT_EQ(view->GetData(nullptr), E_FAIL);
    }
}

std::u16string Wide(const char* text) {
    return std::u16string(text, text + strlen(text));
}

// The view's methods by name, in any case; the updater's own interface
// answers through IDispatch with no members at all.
TEST(ViewDispatch, NamesMapToDispIdsWithoutRegardToCase) {
    ComPtr<IDispatch> view = Create<IDispatch>(ClassNamed("DipDNS"), IID_IDispatch);
    ComPtr<IDispatch> updater = Create<IDispatch>(ClassNamed("DipDNSObj"), IID_IDispatch);
    const struct {
        IDispatch* dispatch;
        const char* name;
        DISPID id;
    } cases[] = {
        {view.Get(), "GetDisplayName", 1},
        {view.Get(), "needconfiguration", 2},
        {view.Get(), "GETID", 3},
        {view.Get(), "GetData", 4},
        {view.Get(), "setdata", 5},
        {view.Get(), "GetTimeInterval", 6},
        {view.Get(), "GetOrgSize", 7},
        {view.Get(), "GetOrgSizeX", DISPID_UNKNOWN},
        {view.Get(), "GetI", DISPID_UNKNOWN},
        {updater.Get(), "GetID", DISPID_UNKNOWN},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::u16string wide = Wide(c.name);
        LPOLESTR names[] = {wide.data()};
        DISPID id = 12345;
        EXPECT_EQ(c.dispatch->GetIDsOfNames(IID_NULL, names, 1, 0, &id),
                  c.id == DISPID_UNKNOWN ? DISP_E_UNKNOWNNAME : S_OK);
        EXPECT_EQ(id, c.id);
    }
    UINT count = 9;
    EXPECT_EQ(view->GetTypeInfoCount(&count), S_OK);
    EXPECT_EQ(count, 0u);
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    EXPECT_EQ(updater->Invoke(1, IID_NULL, 0, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr),
              DISP_E_MEMBERNOTFOUND);
}

HRESULT Call(IDispatch* dispatch, DISPID id, std::vector<VARIANT> reversed_args, VARIANT* result,
             UINT* arg_err = nullptr) {
    DISPPARAMS params{reversed_args.data(), nullptr, static_cast<UINT>(reversed_args.size()), 0};
    return dispatch->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &params, result, nullptr, arg_err);
}

TEST(ViewDispatch, InvokeReturnsResultsInTheResultVariant) {
    ComPtr<IDispatch> dispatch = Create<IDispatch>(ClassNamed("Win2000"), IID_IDispatch);
    VARIANT result;
    VariantInit(&result);
    ASSERT_EQ(Call(dispatch.Get(), VANTREL_DISPID_GETDISPLAYNAME, {}, &result), S_OK);
    ASSERT_EQ(result.vt, VT_BSTR);
    EXPECT_EQ(std::string(Text(result.bstrVal).View()), "Windows 2000 DNS Server");
    VariantClear(&result);

    ASSERT_EQ(Call(dispatch.Get(), VANTREL_DISPID_NEEDCONFIGURATION, {}, &result), S_OK);
    EXPECT_EQ(result.vt, VT_I2);
    EXPECT_EQ(result.iVal, 1);
    ASSERT_EQ(Call(dispatch.Get(), VANTREL_DISPID_VIEW_GETID, {}, &result), S_OK);
    EXPECT_EQ(result.vt, VT_I4);
    EXPECT_EQ(result.lVal, 18);
    ASSERT_EQ(Call(dispatch.Get(), VANTREL_DISPID_GETTIMEINTERVAL, {}, nullptr), S_OK);
}

TEST(ViewDispatch, InvokeRejectsWrongCalls) {
    ComPtr<IDispatch> dispatch = Create<IDispatch>(ClassNamed("DyFiView"), IID_IDispatch);
    VARIANT not_by_ref;
    VariantInit(&not_by_ref);
    not_by_ref.vt = VT_I4;
    LONG x = 0;
    VARIANT by_ref;
    VariantInit(&by_ref);
    by_ref.vt = VT_BYREF | VT_I4;
    by_ref.plVal = &x;
    struct Case {
        const char* what;
        DISPID id;
        std::vector<VARIANT> args;
        HRESULT expected;
    } cases[] = {
        {"unknown DISPID", 8, {}, DISP_E_MEMBERNOTFOUND},
        {"DISPID 0", 0, {}, DISP_E_MEMBERNOTFOUND},
        {"argument too many", VANTREL_DISPID_VIEW_GETID, {not_by_ref}, DISP_E_BADPARAMCOUNT},
        {"argument missing", VANTREL_DISPID_VIEW_SETDATA, {}, DISP_E_BADPARAMCOUNT},
        {"size not by reference",
         VANTREL_DISPID_GETORGSIZE,
         {by_ref, not_by_ref},
         DISP_E_TYPEMISMATCH},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.what);
        VARIANT result;
        VariantInit(&result);
        UINT arg_err = 99;
        EXPECT_EQ(Call(dispatch.Get(), c.id, c.args, &result, &arg_err), c.expected);
        if (c.expected == DISP_E_TYPEMISMATCH) {
            EXPECT_EQ(arg_err, 1u);  // plX, the last in DISPPARAMS order
        }
        VariantClear(&result);
    }
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    EXPECT_EQ(
        dispatch->Invoke(1, IID_IDispatch, 0, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr),
        DISP_E_UNKNOWNINTERFACE);
}

}  // namespace
}  // namespace vantrel::test
