#include "QorImportResult.h"

std::string TQorImportError::Text() const {
    std::string place = File;
    const auto add = [&](const std::string& part) {
        if (!place.empty())
            place += ", ";
        place += part;
    };
    if (!Variable.empty())
        add((VariableWord.empty() ? "array" : VariableWord) + " '" + Variable + "'");
    if (Line > 0)
        add("line " + std::to_string(Line));
    if (Field > 0)
        add("field " + std::to_string(Field));
    return place.empty() ? Message : place + ": " + Message;
}

std::string TQorImportArrayInfo::Text() const {
    std::string s = Name;
    for (size_t d = 0; d < Dims.size(); ++d)
        s += (d > 0 ? ", " : " (") + Dims[d] + (d + 1 == Dims.size() ? ")" : "");
    s += ": ";
    for (size_t d = 0; d < Shape.size(); ++d)
        s += (d > 0 ? " × " : "") + std::to_string(Shape[d]);
    if (Shape.empty())
        s += "scalar";
    s += " " + DType;
    if (!Units.empty())
        s += " [" + Units + "]";
    if (!LongName.empty())
        s += ", " + LongName;
    return s;
}

void TQorImportResult::Fail(std::string Message, int64_t Line, int64_t Field,
                            std::string Variable) {
    Failed = true;
    Kind = TQorImportKind::None;
    X.clear();
    Y.clear();
    Z.clear();
    TArrGLfloat().swap(Values);
    Error.Line = Line;
    Error.Field = Field;
    Error.Variable = std::move(Variable);
    Error.Message = std::move(Message);
}
