#include "PreviewTextBrowser.h"

#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QResizeEvent>
#include <QScrollBar>
#include <QTextDocument>
#include <QTextFrame>

#include <algorithm>

namespace dwfm {

PreviewTextBrowser::PreviewTextBrowser(QWidget *parent) : QTextBrowser(parent) {}

int PreviewTextBrowser::documentWidthLimit() const
{
    // The page's margins and the frame of the document take their share of the viewport,
    // and a vertical scroll bar may yet appear.
    const int margins = 2 * int(document()->documentMargin()) +
                        2 * int(document()->rootFrame()->frameFormat().margin()) +
                        verticalScrollBar()->sizeHint().width() + 16;
    return std::max(viewport()->width() - margins, 16);
}

int PreviewTextBrowser::pictureWidthLimit() const { return std::min(documentWidthLimit(), int(MaxPictureWidth)); }

QVariant PreviewTextBrowser::documentPage(const QUrl &name)
{
    bool ok = false;
    const int index = name.path().toInt(&ok) - 1;
    if (!ok || index < 0 || index >= int(m_pages.size()))
        return QVariant();
    const QImage &page = m_pages[std::size_t(index)];
    const int limit = documentWidthLimit();
    m_shownPageLimit = limit;
    const qreal ratio = page.devicePixelRatio();
    if (page.width() <= limit * ratio)
        return page;
    QImage scaled = page.scaledToWidth(int(limit * ratio), Qt::SmoothTransformation);
    scaled.setDevicePixelRatio(ratio);
    return scaled;
}

QVariant PreviewTextBrowser::loadResource(int type, const QUrl &name)
{
    if (type != QTextDocument::ImageResource) {
        if (type == QTextDocument::HtmlResource)
            m_shownLimit = m_shownPageLimit = 0;
        return QTextBrowser::loadResource(type, name);
    }
    if (name.scheme() == QLatin1String("dwpage"))
        return documentPage(name);
    const QUrl url = source().resolved(name);
    if (!url.isLocalFile())
        return QVariant();
    QImageReader reader(url.toLocalFile());
    reader.setAutoTransform(true);
    const QSize size = reader.size();
    const int limit = pictureWidthLimit();
    // Only the scaled picture is decoded: a large photograph never lies in memory whole.
    if (size.isValid() && size.width() > limit)
        reader.setScaledSize(size.scaled(limit, size.height(), Qt::KeepAspectRatio));
    const QImage image = reader.read();
    if (image.isNull())
        return QVariant();
    m_shownLimit = limit;
    return image;
}

void PreviewTextBrowser::resizeEvent(QResizeEvent *event)
{
    QTextBrowser::resizeEvent(event);
    // Pictures and pages were made for the former width; draw them anew when a limit moved.
    const bool picturesMoved = m_shownLimit != 0 && pictureWidthLimit() != m_shownLimit;
    const bool pagesMoved = m_shownPageLimit != 0 && documentWidthLimit() != m_shownPageLimit;
    if ((picturesMoved || pagesMoved) && !document()->isEmpty() && QFileInfo::exists(source().toLocalFile())) {
        const int scroll = verticalScrollBar()->value();
        reload();
        verticalScrollBar()->setValue(scroll);
    }
    // Pages are drawn again when the pane has room for them larger than they were drawn.
    if (!m_pages.empty() && documentWidthLimit() * m_pages.front().devicePixelRatio() > m_pages.front().width() + 8)
        emit pagesTooNarrow();
}

} // namespace dwfm
