// A configuration view active in place in a container window of its own,
// for the host's commands and for tests:
//
//   host::ActiveView active;
//   HRESULT hr = host::ActiveView::ActivateByProgId("Vantrel.DyFiView", &active);
//   active.View()->SetData(blob);   // the page exists now
//   SendDlgItemMessageA(active.Page(), 201, ...);
//   VtRunTerminal(active.Page(), "DyFi");
//
// The view is UI-active (focus on the page's first tab stop). Destruction
// (or Close) deactivates and closes the view, detaches it from the site and
// destroys the container window.
#pragma once

#include <platform/ole2.h>
#include <vantrel/vantrel.h>

#include "host/site/com_ref.h"
#include "host/site/view_site.h"

namespace host {

class ActiveView {
public:
    ActiveView() = default;
    ActiveView(ActiveView&& other) noexcept = default;
    ActiveView& operator=(ActiveView&& other) noexcept;
    ~ActiveView() { Close(); }

    // Puts an existing view (any interface of it) in a new container window
    // sized to the view's GetOrgSize and activates it in place. result is
    // left empty on failure.
    static HRESULT Activate(IUnknown* view, ActiveView* result);
    // Creates the view registered under prog_id ("Vantrel.DyFiView", or the
    // ".1" form) through the platform's activation, then as Activate.
    static HRESULT ActivateByProgId(const char* prog_id, ActiveView* result);

    IGView* View() const { return m_view.Get(); }
    // The page dialog; null once closed.
    HWND Page() const;
    // The container's top-level window.
    HWND Window() const { return m_site ? m_site->Window() : nullptr; }
    // Changes the container's ambient background colour and tells the view.
    void SetBackColor(OLE_COLOR color);
    void Close();

private:
    ComRef<ViewSite> m_site;
    ComRef<IGView> m_view;
    ComRef<IOleObject> m_object;
};

}  // namespace host
