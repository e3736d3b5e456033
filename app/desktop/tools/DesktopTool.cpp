// Build-time helper for the desktop files and the documentation:
//   plotyra-desktop-tool icon IN.svg OUTROOT CONTEXT NAME SIZE...
//       renders IN.svg to OUTROOT/<SIZE>x<SIZE>/CONTEXT/NAME.png for each SIZE
//   plotyra-desktop-tool desktop-files OUTDIR
//       writes the installed desktop entry and shared-mime-info package
//   plotyra-desktop-tool pdf IN.md... OUT.pdf
//       lays the Markdown documents out on A4 pages, each from a new page
#include "UDesktopFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextTable>
#include <QUrl>
#include <cstdio>
#include <cstdlib>

namespace {

int Fail(const QString& Message) {
    std::fprintf(stderr, "plotyra-desktop-tool: %s\n", qPrintable(Message));
    return 1;
}

bool WriteFile(const QString& Path, const QByteArray& Text) {
    QSaveFile file(Path);
    return file.open(QIODevice::WriteOnly) && file.write(Text) == Text.size() && file.commit();
}

int RenderIcon(const QStringList& Args) {
    if (Args.size() < 5)
        return Fail("icon needs IN.svg OUTROOT CONTEXT NAME SIZE...");
    QSvgRenderer svg(Args[0]);
    if (!svg.isValid())
        return Fail("cannot read " + Args[0]);
    for (const QString& sizeText : Args.mid(4)) {
        const int size = sizeText.toInt();
        if (size <= 0)
            return Fail("bad size " + sizeText);
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        svg.render(&painter);
        painter.end();
        const QString folder = QString("%1/%2x%2/%3").arg(Args[1]).arg(size).arg(Args[2]);
        if (!QDir().mkpath(folder) || !image.save(folder + "/" + Args[3] + ".png"))
            return Fail("cannot write the icons below " + folder);
    }
    return 0;
}

int WriteDesktopFiles(const QStringList& Args) {
    if (Args.size() != 1)
        return Fail("desktop-files needs OUTDIR");
    const QString out = Args[0] + "/" + ProgramDesktopId;
    QStringList types;
    for (const TDataFileType& type : ProgramDataFileTypes())
        types += DataFileMimeType(type.Ext);
    if (!QDir().mkpath(Args[0]) ||
        !WriteFile(out + ".desktop", DesktopEntryText("plotyra", types)) ||
        !WriteFile(out + ".xml", MimePackageText(ProgramDataFileTypes())))
        return Fail("cannot write below " + Args[0]);
    return 0;
}

// The text of a document's first level-one heading.
QString Title(const QString& Markdown) {
    for (const QString& line : Markdown.split(u'\n'))
        if (line.startsWith(QLatin1String("# ")))
            return line.mid(2).trimmed();
    return {};
}

// The pictures the documents show, named relative to their folder: a document without a
// window behind it does not load them itself. A picture wider than the page's text, or than its
// share of a table's row, is shown scaled down to fit (the page is laid out at 96 dots per
// inch: A4 less 2 cm margins).
void AddPictures(QTextDocument& Document, const QString& Folder) {
    constexpr int MaxWidth = 600;
    struct TWide {
        int Position, Length;
        QTextImageFormat Format;
    };
    QList<TWide> wide;
    for (QTextBlock block = Document.begin(); block.isValid(); block = block.next()) {
        const QTextTable* table = QTextCursor(block).currentTable();
        const int limit = table != nullptr ? MaxWidth / table->columns() - 12 : MaxWidth;
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat format = it.fragment().charFormat();
            if (!format.isImageFormat())
                continue;
            QTextImageFormat image = format.toImageFormat();
            const QImage picture(QDir(Folder).filePath(image.name()));
            if (picture.isNull())
                continue;
            Document.addResource(QTextDocument::ImageResource, QUrl(image.name()), picture);
            if (picture.width() <= limit)
                continue;
            image.setWidth(limit);
            image.setHeight(double(picture.height()) * limit / picture.width());
            wide.append({it.fragment().position(), it.fragment().length(), image});
        }
    }
    for (const TWide& w : wide) {
        QTextCursor cursor(&Document);
        cursor.setPosition(w.Position);
        cursor.setPosition(w.Position + w.Length, QTextCursor::KeepAnchor);
        cursor.setCharFormat(w.Format);
    }
}

int WritePdf(const QStringList& Args) {
    if (Args.size() < 2)
        return Fail("pdf needs IN.md... OUT.pdf");
    QString markdown;
    QStringList titles;
    for (const QString& name : Args.mid(0, Args.size() - 1)) {
        QFile source(name);
        if (!source.open(QIODevice::ReadOnly | QIODevice::Text))
            return Fail("cannot read " + name);
        const QString text = QString::fromUtf8(source.readAll());
        titles << Title(text);
        markdown += text + "\n\n";
    }
    QTextDocument document;
    document.setDefaultFont(QFont("Liberation Sans", 10));
    document.setMarkdown(markdown);
    AddPictures(document, QFileInfo(Args.front()).absolutePath());
    // Every document after the first starts a page at its title.
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
        if (block.blockFormat().headingLevel() == 1 && block != document.begin() &&
            titles.mid(1).contains(block.text().trimmed())) {
            QTextBlockFormat format = block.blockFormat();
            format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
            QTextCursor(block).setBlockFormat(format);
        }
    // The first document's title names the whole.
    const QString title = titles.front();
    const QString output = Args.back();

    // Lay out into a temporary file so a failed run never leaves a half-written document.
    const QString partial = output + ".part";
    {
        QPdfWriter pdf(partial);
        // QTextDocument::print adds margins of 2 cm itself.
        pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                      QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter));
        pdf.setResolution(300);
        pdf.setTitle(title);
        pdf.setCreator("Plotyra");
        document.print(&pdf);
    }
    QFile::remove(output);
    if (QFileInfo(partial).size() == 0 || !QFile::rename(partial, output))
        return Fail("cannot write " + output);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // Qt wants a private runtime folder; a build machine often has none.
    QTemporaryDir runtime;
    if (std::getenv("XDG_RUNTIME_DIR") == nullptr && runtime.isValid())
        setenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit().constData(), 1);
    QGuiApplication app(argc, argv);
    QStringList args = QGuiApplication::arguments().mid(1);
    const QString command = args.isEmpty() ? QString() : args.takeFirst();
    if (command == "icon")
        return RenderIcon(args);
    if (command == "desktop-files")
        return WriteDesktopFiles(args);
    if (command == "pdf")
        return WritePdf(args);
    return Fail("usage: icon IN.svg OUTROOT CONTEXT NAME SIZE... | desktop-files OUTDIR | "
                "pdf IN.md... OUT.pdf");
}
