#pragma once

#include <QImage>
#include <QString>

#include <functional>
#include <vector>

namespace dwfm {

class PreviewTextBrowser;

// The browser of the preview pane, as the preview uses it: navigate to an address, and be
// told before every navigation (the control's own and a followed link) where it goes.
// The product's browser is TextBrowserPreview; tests may put their own in its place.
class PreviewBrowser {
public:
    // Told the address before the browser goes there; answers True to cancel.
    using BeforeNavigate = std::function<bool(const QString &address)>;

    virtual ~PreviewBrowser();

    // Goes to a page file, a stored file or "about:blank". The before-navigate handler is
    // told first; when it navigates elsewhere itself, that navigation wins.
    virtual void navigate(const QString &address) = 0;
    // The address shown now ("about:blank" before the first page).
    virtual QString currentAddress() const = 0;
    // The drawn pages of a document that the next pages show (at PreviewPages::pageImageUrl);
    // none after a page without a document.
    virtual void setDocumentPages(std::vector<QImage> pages) = 0;
    // The width a document's page is drawn at now, in pixels, and the screen's pixel ratio.
    virtual int documentWidth() const = 0;
    virtual qreal pixelRatio() const = 0;

    void setBeforeNavigate(BeforeNavigate handler) { m_beforeNavigate = std::move(handler); }
    // Told when the pane has grown wider than the shown pages were drawn for.
    void setPagesTooNarrow(std::function<void()> handler) { m_pagesTooNarrow = std::move(handler); }

protected:
    void pagesTooNarrow()
    {
        if (m_pagesTooNarrow)
            m_pagesTooNarrow();
    }
    // Runs the before-navigate handler; True when the navigation is to go on.
    bool allowNavigation(const QString &address);
    // Counts navigations, so a navigation can see that the handler started another one.
    int m_navigations = 0;

private:
    BeforeNavigate m_beforeNavigate;
    std::function<void()> m_pagesTooNarrow;
};

// The product's browser: the control's PreviewTextBrowser. Shows the preview's page files
// and "about:blank"; a clicked link is a navigation like any other.
class TextBrowserPreview : public PreviewBrowser {
public:
    explicit TextBrowserPreview(PreviewTextBrowser *browser);

    void navigate(const QString &address) override;
    QString currentAddress() const override { return m_address; }
    void setDocumentPages(std::vector<QImage> pages) override;
    int documentWidth() const override;
    qreal pixelRatio() const override;

private:
    PreviewTextBrowser *m_browser = nullptr;
    QString m_address = QStringLiteral("about:blank");
};

} // namespace dwfm
