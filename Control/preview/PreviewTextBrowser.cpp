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

int PreviewTextBrowser::pictureWidthLimit() const
{
    // The page's margins and the frame of the document take their share of the viewport,
    // and a vertical scroll bar may yet appear.
    const int margins = 2 * int(document()->documentMargin()) +
                        2 * int(document()->rootFrame()->frameFormat().margin()) +
                        verticalScrollBar()->sizeHint().width() + 16;
    return std::clamp(viewport()->width() - margins, 16, MaxPictureWidth);
}

QVariant PreviewTextBrowser::loadResource(int type, const QUrl &name)
{
    if (type != QTextDocument::ImageResource) {
        if (type == QTextDocument::HtmlResource)
            m_shownLimit = 0;
        return QTextBrowser::loadResource(type, name);
    }
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
    // Pictures were decoded for the former width; draw them anew when the limit moved.
    if (m_shownLimit != 0 && pictureWidthLimit() != m_shownLimit && !document()->isEmpty() &&
        QFileInfo::exists(source().toLocalFile())) {
        const int scroll = verticalScrollBar()->value();
        reload();
        verticalScrollBar()->setValue(scroll);
    }
}

} // namespace dwfm
