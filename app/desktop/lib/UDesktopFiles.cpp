#include "UDesktopFiles.h"

#include <QXmlStreamWriter>
#include <algorithm>

namespace {

// The starts of the tag lines the program writes (and the colour forms it reads), so a file
// whose name lost its extension is still recognised by its content.
QStringList TagLineStarts(const QString& Ext) {
    if (Ext == QLatin1String("p3d"))
        return {"<3D>", "<3D Hi>"};
    if (Ext == QLatin1String("p4d"))
        return {"<4D", "<Nx4D>", "<3D COLOR"};
    return {};
}

// Escapes a desktop-entry string value: backslashes and control characters.
QString EscapeDesktopValue(const QString& Value) {
    QString out;
    for (const QChar c : Value) {
        if (c == u'\\')
            out += QLatin1String("\\\\");
        else if (c == u'\n')
            out += QLatin1String("\\n");
        else if (c == u'\t')
            out += QLatin1String("\\t");
        else if (c == u'\r')
            out += QLatin1String("\\r");
        else
            out += c;
    }
    return out;
}

} // namespace

QList<TDataFileType> ProgramDataFileTypes() {
    return {{"p3d", "Plotyra file", 0}, {"p4d", "Plotyra file", 1}};
}

QString DataFileMimeType(const QString& Ext) {
    return QLatin1String("application/x-plotyra-") + Ext.toLower();
}

QString DataFileIconName(int IconIndex) {
    return IconIndex <= 0 ? QStringLiteral("application-x-plotyra-3d")
                          : QStringLiteral("application-x-plotyra-4d");
}

QByteArray MimePackageText(const QList<TDataFileType>& Types) {
    QByteArray text;
    QXmlStreamWriter xml(&text);
    xml.setAutoFormatting(true);
    xml.writeStartDocument();
    xml.writeDefaultNamespace("http://www.freedesktop.org/standards/shared-mime-info");
    xml.writeStartElement("mime-info");
    for (const TDataFileType& type : Types) {
        const QString ext = type.Ext.toLower();
        xml.writeStartElement("mime-type");
        xml.writeAttribute("type", DataFileMimeType(ext));
        xml.writeTextElement("comment", type.Description);
        xml.writeEmptyElement("sub-class-of");
        xml.writeAttribute("type", "text/plain");
        xml.writeEmptyElement("icon");
        xml.writeAttribute("name", DataFileIconName(type.IconIndex));
        xml.writeEmptyElement("glob");
        xml.writeAttribute("pattern", "*." + ext);
        if (const QStringList tags = TagLineStarts(ext); !tags.isEmpty()) {
            xml.writeStartElement("magic");
            xml.writeAttribute("priority", "50");
            for (const QString& tag : tags) {
                xml.writeEmptyElement("match");
                xml.writeAttribute("type", "string");
                xml.writeAttribute("offset", "0");
                xml.writeAttribute("value", tag);
            }
            xml.writeEndElement();
        }
        xml.writeEndElement();
    }
    xml.writeEndElement();
    xml.writeEndDocument();
    return text;
}

QString DesktopExecProgram(const QString& Program) {
    // Field codes start with "%", so a literal one is doubled; reserved characters need the
    // whole argument quoted, with the four that stay special inside quotes escaped.
    QString program = Program;
    program.replace(u'%', QLatin1String("%%"));
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    const bool quote =
        std::any_of(program.begin(), program.end(), [](QChar c) { return reserved.contains(c); });
    if (quote) {
        QString quoted = QStringLiteral("\"");
        for (const QChar c : program) {
            if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
                quoted += u'\\';
            quoted += c;
        }
        program = quoted + u'"';
    }
    return EscapeDesktopValue(program);
}

QByteArray DesktopEntryText(const QString& Program, const QStringList& MimeTypes) {
    QString text = QStringLiteral("[Desktop Entry]\n"
                                  "Type=Application\n"
                                  "Version=1.4\n"
                                  "Name=Plotyra\n"
                                  "GenericName=Grid Data Viewer\n"
                                  "Comment=View numeric data on regular grids as 3D and 4D "
                                  "charts\n"
                                  "Keywords=chart;surface;volume;plot;grid;3D;4D;\n");
    text += QLatin1String("Icon=") + QLatin1String(ProgramDesktopId) + u'\n';
    // A desktop hides the entry once the program is gone (a deleted build folder, say).
    text += QLatin1String("TryExec=") + EscapeDesktopValue(Program) + u'\n';
    text += QLatin1String("Exec=") + DesktopExecProgram(Program) + QLatin1String(" %f\n");
    text += QLatin1String("Terminal=false\n"
                          "StartupNotify=true\n"
                          "Categories=Science;DataVisualization;\n");
    if (!MimeTypes.isEmpty())
        text += QLatin1String("MimeType=") + MimeTypes.join(u';') + QLatin1String(";\n");
    return text.toUtf8();
}
