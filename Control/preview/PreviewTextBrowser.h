#pragma once

#include <QImage>
#include <QTextBrowser>

#include <vector>

namespace dwfm {

// The preview pane's text browser. Pictures are drawn scaled down to the pane's width, and
// never wider than the style sheet's 400 pixels; a picture is never drawn larger than it
// is. The drawn pages of a document are held here and shown at the pane's width (at most
// the width they were drawn at). A change of width that changes those limits draws the
// page again.
class PreviewTextBrowser : public QTextBrowser {
    Q_OBJECT
public:
    // The style sheet's widest picture.
    static constexpr int MaxPictureWidth = 400;

    explicit PreviewTextBrowser(QWidget *parent = nullptr);

    QVariant loadResource(int type, const QUrl &name) override;
    // The width a picture is drawn at most, now.
    int pictureWidthLimit() const;
    // The width a document's page is drawn at most, now: what the pane has room for.
    int documentWidthLimit() const;
    // The pages the next page file shows; see PreviewPages::pageImageUrl.
    void setDocumentPages(std::vector<QImage> pages) { m_pages = std::move(pages); }

signals:
    // The pane grew wider than the shown pages were drawn for.
    void pagesTooNarrow();

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    QVariant documentPage(const QUrl &name);

    std::vector<QImage> m_pages;
    int m_shownLimit = 0;
    int m_shownPageLimit = 0;
};

} // namespace dwfm
