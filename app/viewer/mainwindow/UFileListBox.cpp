#include "mainwindow/UFileListBox.h"

#include <QCollator>
#include <QDir>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QStyledItemDelegate>
#include <algorithm>
#include <utility>
#include <vector>

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

QStringList FolderFileNames(const QString& Folder, const QStringList& Masks) {
    return QDir(Folder).entryList(Masks, QDir::Files | QDir::Hidden | QDir::System, QDir::Unsorted);
}

TFileListBox::TFileListBox(QWidget* Parent) : QListWidget(Parent) {
    for (int k = fiExeFile; k <= fiP3DFile; ++k)
        FIcons[size_t(k)] = DrawIcon(TFileIcon(k));
    setItemDelegate(new TFileItemDelegate(*this));
    setUniformItemSizes(true);
    setSelectionMode(SingleSelection);
}

// Each name's collation key is made once: comparing the keys is a byte comparison, where the
// collator would analyse both names again at each of the n log n comparisons. The C locale's
// collator compares case-folded text (its sort keys would keep the case): the folded names are
// the keys then.
void TFileListBox::SetFiles(QStringList Names) {
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    collator.setNumericMode(true);
    const bool plain = collator.locale().language() == QLocale::C;
    struct TKeyed {
        QCollatorSortKey Key;
        QString Folded;
        qsizetype Index;
    };
    std::vector<TKeyed> keyed;
    keyed.reserve(size_t(Names.size()));
    for (qsizetype i = 0; i < Names.size(); ++i)
        keyed.push_back({collator.sortKey(plain ? QString() : Names[i]),
                         plain ? Names[i].toCaseFolded() : QString(), i});
    std::sort(keyed.begin(), keyed.end(), [&](const TKeyed& a, const TKeyed& b) {
        const int order = plain ? a.Folded.compare(b.Folded) : a.Key.compare(b.Key);
        return order != 0 ? order < 0 : Names[a.Index] < Names[b.Index];
    });
    QStringList sorted;
    sorted.reserve(Names.size());
    for (const TKeyed& k : keyed)
        sorted << Names[k.Index];
    clear();
    addItems(sorted);
}

QStringList TFileListBox::Files() const {
    QStringList names;
    for (int i = 0; i < count(); ++i)
        names << item(i)->text();
    return names;
}

bool TFileListBox::SelectFile(const QString& Name) {
    int found = -1;
    for (int i = 0; i < count() && (found < 0 || item(found)->text() != Name); ++i)
        if (found < 0 ? item(i)->text().compare(Name, Qt::CaseInsensitive) == 0
                      : item(i)->text() == Name)
            found = i;
    if (found < 0)
        return false;
    setCurrentRow(found);
    scrollToItem(item(found));
    return true;
}

QString TFileListBox::SelectedFile() const {
    const QListWidgetItem* current = currentItem();
    return current != nullptr && current->isSelected() ? current->text() : QString();
}

bool TFileListBox::LastSelected() const {
    return count() > 0 && currentRow() == count() - 1 && currentItem()->isSelected();
}

void TFileListBox::mousePressEvent(QMouseEvent* Event) {
    FRowAtPress = currentRow();
    QListWidget::mousePressEvent(Event);
}

// A release on an entry chooses the entry selected then, which a drag may have moved away from
// the one pressed on; so does a release elsewhere after the drag moved the selection.
void TFileListBox::mouseReleaseEvent(QMouseEvent* Event) {
    QListWidget::mouseReleaseEvent(Event);
    if (std::exchange(FReleaseEndsDoubleClick, false) || Event->button() != Qt::LeftButton)
        return;
    const bool onEntry = indexAt(Event->position().toPoint()).isValid();
    if ((onEntry || currentRow() != FRowAtPress) && !SelectedFile().isEmpty())
        emit FileChosen();
}

void TFileListBox::mouseDoubleClickEvent(QMouseEvent* Event) {
    FReleaseEndsDoubleClick = true;
    QListWidget::mouseDoubleClickEvent(Event);
}

void TFileListBox::keyPressEvent(QKeyEvent* Event) {
    const int before = currentRow();
    QListWidget::keyPressEvent(Event);
    if (currentRow() != before && currentRow() >= 0)
        emit FileChosen();
}
