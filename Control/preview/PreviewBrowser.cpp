#include "PreviewBrowser.h"

#include "PreviewPages.h"
#include "PreviewTextBrowser.h"

#include <QFileInfo>
#include <QUrl>

namespace dwfm {

PreviewBrowser::~PreviewBrowser() = default;

bool PreviewBrowser::allowNavigation(const QString &address)
{
    const int before = ++m_navigations;
    if (m_beforeNavigate && m_beforeNavigate(address))
        return false;
    // A handler that navigated elsewhere itself has the last word: its page is shown.
    return m_navigations == before;
}

TextBrowserPreview::TextBrowserPreview(PreviewTextBrowser *browser) : m_browser(browser)
{
    m_browser->setOpenLinks(false);
    m_browser->setOpenExternalLinks(false);
    QObject::connect(m_browser, &QTextBrowser::anchorClicked, m_browser,
                     [this](const QUrl &url) { navigate(url.toString()); });
    QObject::connect(m_browser, &PreviewTextBrowser::pagesTooNarrow, m_browser, [this] { pagesTooNarrow(); });
}

void TextBrowserPreview::navigate(const QString &address)
{
    if (!allowNavigation(address))
        return;
    if (address == QLatin1String("about:blank")) {
        m_browser->setDocumentPages({});
        m_browser->clear();
        m_address = address;
        return;
    }
    // Only the preview's own pages are shown here; a stored file is never opened in the
    // pane (the preview hands it to a viewer before it gets here).
    const QString file = PreviewPages::localFileOfAddress(address);
    if (file.isEmpty() || !QFileInfo(file).isFile())
        return;
    m_address = address;
    m_browser->setSource(QUrl::fromLocalFile(file), QTextDocument::HtmlResource);
}

void TextBrowserPreview::setDocumentPages(std::vector<QImage> pages) { m_browser->setDocumentPages(std::move(pages)); }

int TextBrowserPreview::documentWidth() const { return m_browser->documentWidthLimit(); }

qreal TextBrowserPreview::pixelRatio() const { return m_browser->devicePixelRatioF(); }

} // namespace dwfm
