#include "mainwindow/UFileListBox.h"

#include <QCollator>
#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>
#include <QStyledItemDelegate>
#include <algorithm>

namespace {

// A page with a folded corner and a mark of its kind, 16 x 16.
QPixmap DrawIcon(TFileIcon Kind) {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath page;
    page.moveTo(2.5, 0.5);
    page.lineTo(10.5, 0.5);
    page.lineTo(13.5, 3.5);
    page.lineTo(13.5, 15.5);
    page.lineTo(2.5, 15.5);
    page.closeSubpath();
    p.setPen(QColor(90, 90, 90));
    p.setBrush(Kind == fiExeFile ? QColor(225, 225, 235) : Qt::white);
    p.drawPath(page);
    p.drawLine(QPointF(10.5, 0.5), QPointF(10.5, 3.5));
    p.drawLine(QPointF(10.5, 3.5), QPointF(13.5, 3.5));
    switch (Kind) {
    case fiP3DFile: { // a surface
        QPainterPath wave;
        wave.moveTo(4, 12);
        wave.cubicTo(6, 4, 9, 14, 12, 6);
        p.setPen(QPen(QColor(0, 140, 60), 1.6));
        p.setBrush(Qt::NoBrush);
        p.drawPath(wave);
        break;
    }
    case fiP4DFile: { // a coloured cube face
        QLinearGradient g(4, 13, 12, 5);
        g.setColorAt(0, Qt::blue);
        g.setColorAt(0.5, Qt::green);
        g.setColorAt(1, Qt::red);
        p.setPen(Qt::NoPen);
        p.setBrush(g);
        p.drawRect(QRectF(4, 5, 8, 8));
        break;
    }
    case fiTxtFile:
        p.setPen(QColor(70, 70, 70));
        for (int y = 5; y <= 13; y += 2)
            p.drawLine(4, y, y == 13 ? 9 : 12, y);
        break;
    case fiExeFile:
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(200, 60, 40));
        p.drawEllipse(QRectF(5, 6, 6, 6));
        break;
    case fiOtherFiles:
        break;
    }
    return pixmap;
}

// Draws an entry: the icon 2 pixels from the left, centred vertically, the name 6 pixels
// right of the icon at the top of the entry.
class TFileItemDelegate : public QStyledItemDelegate {
public:
    explicit TFileItemDelegate(TFileListBox& List) : QStyledItemDelegate(&List), FList(List) {}

    void paint(QPainter* Painter, const QStyleOptionViewItem& Option,
               const QModelIndex& Index) const override {
        const QString name = Index.data(Qt::DisplayRole).toString();
        const bool selected = Option.state & QStyle::State_Selected;
        const QPalette& palette = Option.palette;
        const QRect r = Option.rect;
        Painter->fillRect(r, palette.color(selected ? QPalette::Highlight : QPalette::Base));
        const QPixmap& icon = FList.Icon(FileIconOf(name));
        Painter->drawPixmap(r.left() + 2, r.top() + (r.height() - icon.height()) / 2, icon);
        Painter->setPen(palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
        const QRect text(r.left() + icon.width() + 6, r.top(), r.width() - icon.width() - 6,
                         r.height());
        Painter->drawText(text, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, name);
        if (Option.state & QStyle::State_HasFocus && FList.hasFocus())
            Painter->drawRect(r.adjusted(0, 0, -1, -1));
    }

    QSize sizeHint(const QStyleOptionViewItem& Option, const QModelIndex& Index) const override {
        const QString name = Index.data(Qt::DisplayRole).toString();
        // A font taller than the entry would be cut; the entry grows with it.
        const int height = std::max(TFileListBox::ItemHeight, Option.fontMetrics.height());
        return {Option.fontMetrics.horizontalAdvance(name) + 16 + 8, height};
    }

private:
    TFileListBox& FList;
};

} // namespace

TFileIcon FileIconOf(const QString& FileName) {
    const qsizetype dot = FileName.lastIndexOf('.');
    const QString ext = dot < 0 ? QString() : FileName.mid(dot).toUpper();
    if (ext == ".EXE")
        return fiExeFile;
    if (ext == ".TXT")
        return fiTxtFile;
    if (ext == ".P3D")
        return fiP3DFile;
    if (ext == ".P4D")
        return fiP4DFile;
    return fiOtherFiles;
}

TFileListBox::TFileListBox(QWidget* Parent) : QListWidget(Parent) {
    for (int k = fiExeFile; k <= fiP3DFile; ++k)
        FIcons[size_t(k)] = DrawIcon(TFileIcon(k));
    setItemDelegate(new TFileItemDelegate(*this));
    setUniformItemSizes(true);
    setSelectionMode(SingleSelection);
    connect(this, &QListWidget::itemClicked, this, &TFileListBox::FileChosen);
}

void TFileListBox::SetFiles(QStringList Names) {
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    collator.setNumericMode(true);
    std::stable_sort(Names.begin(), Names.end(), [&](const QString& a, const QString& b) {
        return collator.compare(a, b) < 0;
    });
    clear();
    addItems(Names);
}

QStringList TFileListBox::Files() const {
    QStringList names;
    for (int i = 0; i < count(); ++i)
        names << item(i)->text();
    return names;
}

bool TFileListBox::SelectFile(const QString& Name) {
    for (int i = 0; i < count(); ++i)
        if (item(i)->text().compare(Name, Qt::CaseInsensitive) == 0) {
            setCurrentRow(i);
            scrollToItem(item(i));
            return true;
        }
    return false;
}

QString TFileListBox::SelectedFile() const {
    const QListWidgetItem* current = currentItem();
    return current != nullptr && current->isSelected() ? current->text() : QString();
}

bool TFileListBox::LastSelected() const {
    return count() > 0 && currentRow() == count() - 1 && currentItem()->isSelected();
}

void TFileListBox::keyPressEvent(QKeyEvent* Event) {
    const int before = currentRow();
    QListWidget::keyPressEvent(Event);
    if (currentRow() != before && currentRow() >= 0)
        emit FileChosen();
}
