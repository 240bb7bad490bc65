#pragma once

#include <QString>

#include <functional>

class QTextBrowser;

namespace dwfm {

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

    void setBeforeNavigate(BeforeNavigate handler) { m_beforeNavigate = std::move(handler); }

protected:
    // Runs the before-navigate handler; True when the navigation is to go on.
    bool allowNavigation(const QString &address);
    // Counts navigations, so a navigation can see that the handler started another one.
    int m_navigations = 0;

private:
    BeforeNavigate m_beforeNavigate;
};

// The product's browser: the control's QTextBrowser. Shows the preview's page files and
// "about:blank"; a clicked link is a navigation like any other.
class TextBrowserPreview : public PreviewBrowser {
public:
    explicit TextBrowserPreview(QTextBrowser *browser);

    void navigate(const QString &address) override;
    QString currentAddress() const override { return m_address; }

private:
    QTextBrowser *m_browser = nullptr;
    QString m_address = QStringLiteral("about:blank");
};

} // namespace dwfm
