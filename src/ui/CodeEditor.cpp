#include "CodeEditor.h"

#include <QContextMenuEvent>
#include <QMenu>

#include <Qsci/qscilexerpascal.h>

#include <QColor>
#include <QFontDatabase>
#include <QFrame>
#include <QStringList>

namespace {

// Sizes are laid out for a 96 dpi screen.
constexpr int CodePixelSize = 13;
constexpr int GutterPixelSize = 11;
// Room between the line numbers and the modification bar.
constexpr int GutterRightMargin = 10;
// Scintilla leaves this much room right of a line number by itself.
constexpr int ScintillaNumberPadding = 3;
constexpr int GutterLeftMargin = 2;
constexpr int ChangeBarWidth = 2;
constexpr int TabWidth = 2;

// Margins left to right: line numbers, a spacer, the modification bar.
enum GutterPart { LineNumbers = 0, Spacer = 1, ChangeBar = 2, GutterParts = 3 };

const QColor CommentColor(0, 123, 0);
const QColor DirectiveColor(128, 128, 128);
const QColor MoneyGreen(192, 220, 192);
const QColor Fuchsia(255, 0, 255);
const QColor GutterBackground(240, 240, 240);
const QColor ChangeBarColor(0, 255, 0);

// Scintilla is handed one family name and no fallbacks, so the fallback has
// to be chosen here: the first of the wished families that is installed.
QStringList installedFirst(const QStringList &wished, QFontDatabase::SystemFont fallback) {
    const QStringList installed = QFontDatabase::families();
    QStringList families;
    for (const QString &family : wished) {
        if (installed.contains(family, Qt::CaseInsensitive))
            families << family;
    }
    if (families.isEmpty())
        families << QFontDatabase::systemFont(fallback).family();
    return families;
}

// QScintilla reads only the point size of a font (a pixel-sized font reads as
// -1 pt), so the 96-dpi pixel size is handed over as its equivalent in points.
QFont forScintilla(QFont font) {
    if (font.pixelSize() > 0)
        font.setPointSizeF(font.pixelSize() * 72.0 / 96.0);
    return font;
}

} // namespace

// Program-made changes reach Scintilla with every signal held back (no
// userEdited(), no modification marks) and regardless of the lock.
class CodeEditor::ProgramChange {
public:
    explicit ProgramChange(CodeEditor *editor)
        : m_editor(editor), m_signalsWereBlocked(editor->blockSignals(true)),
          m_wasReadOnly(editor->isReadOnly()) {
        m_editor->SendScintilla(SCI_SETREADONLY, false);
    }
    ~ProgramChange() {
        m_editor->SendScintilla(SCI_SETREADONLY, m_wasReadOnly);
        m_editor->blockSignals(m_signalsWereBlocked);
    }
    ProgramChange(const ProgramChange &) = delete;
    ProgramChange &operator=(const ProgramChange &) = delete;

private:
    CodeEditor *m_editor;
    bool m_signalsWereBlocked;
    bool m_wasReadOnly;
};

CodeEditor::CodeEditor(QWidget *parent) : QsciScintilla(parent) {
    setUtf8(true);
    applyHighlighting(this);

    setFrameShape(QFrame::NoFrame);
    setFolding(NoFoldStyle);
    setEdgeMode(EdgeNone);
    setWrapMode(WrapWord);
    SendScintilla(SCI_SETHSCROLLBAR, false);

    setIndentationsUseTabs(false);
    setTabWidth(TabWidth);
    setIndentationWidth(0); // follow the tab width
    setAutoIndent(true);
    setTabIndents(true);
    setBackspaceUnindents(true);

    setMargins(GutterParts);
    setMarginsForegroundColor(Qt::red);
    setMarginsBackgroundColor(GutterBackground);
    setMarginType(LineNumbers, NumberMargin);
    setMarginType(Spacer, SymbolMargin);
    setMarginMarkerMask(Spacer, 0);
    setMarginWidth(Spacer, GutterRightMargin - ScintillaNumberPadding);
    setMarginType(ChangeBar, SymbolMargin);
    setMarginMarkerMask(ChangeBar, 1 << ChangeMarker);
    setMarginWidth(ChangeBar, ChangeBarWidth);
    markerDefine(FullRectangle, ChangeMarker);
    setMarkerBackgroundColor(ChangeBarColor, ChangeMarker);
    setMarkerForegroundColor(ChangeBarColor, ChangeMarker);
    fitGutter();

    connect(this, &QsciScintillaBase::SCN_MODIFIED, this, &CodeEditor::onModified);
    // Program-made changes run with signals blocked, so whatever still comes
    // through here was done by the user.
    connect(this, &QsciScintilla::textChanged, this, &CodeEditor::userEdited);
}

QFont CodeEditor::codeFont() {
    QFont font;
    font.setFamilies(
        installedFirst({QStringLiteral("Courier New"), QStringLiteral("DejaVu Sans Mono"),
                        QStringLiteral("Liberation Mono")},
                       QFontDatabase::FixedFont));
    font.setStyleHint(QFont::Monospace);
    font.setFixedPitch(true);
    font.setStyleStrategy(QFont::NoAntialias);
    font.setPixelSize(CodePixelSize);
    return font;
}

QFont CodeEditor::gutterFont() {
    QFont font;
    font.setFamilies(installedFirst({QStringLiteral("Verdana"), QStringLiteral("DejaVu Sans")},
                                    QFontDatabase::GeneralFont));
    font.setPixelSize(GutterPixelSize);
    return font;
}

void CodeEditor::applyHighlighting(QsciScintilla *editor) {
    QsciLexer *previous = editor->lexer();
    auto *lexer = new QsciLexerPascal(editor);
    editor->setLexer(lexer);
    if (previous && previous->parent() == editor)
        delete previous;

    // The lexer's own fonts are proportional; every style gets the code font,
    // including those the lexer does not describe, so nothing falls back.
    const QFont font = forScintilla(codeFont());
    lexer->setDefaultFont(font);
    for (int style = 0; style <= QsciScintillaBase::STYLE_MAX; ++style)
        lexer->setFont(font, style);
    editor->SendScintilla(QsciScintillaBase::SCI_SETFONTQUALITY,
                          QsciScintillaBase::SC_EFF_QUALITY_NON_ANTIALIASED);
    // The loop above also reached the line-number style.
    editor->setMarginsFont(forScintilla(gutterFont()));

    lexer->setDefaultColor(Qt::black);
    lexer->setDefaultPaper(Qt::white);
    for (int style = QsciLexerPascal::Default; style <= QsciLexerPascal::Asm; ++style)
        lexer->setColor(Qt::black, style);
    lexer->setColor(Qt::red, QsciLexerPascal::Asm);
    for (int style : {QsciLexerPascal::Comment, QsciLexerPascal::CommentParenthesis,
                      QsciLexerPascal::CommentLine})
        lexer->setColor(CommentColor, style);
    for (int style : {QsciLexerPascal::PreProcessor, QsciLexerPascal::PreProcessorParenthesis})
        lexer->setColor(DirectiveColor, style);
    lexer->setColor(Qt::blue, QsciLexerPascal::Keyword);
    lexer->setColor(Fuchsia, QsciLexerPascal::Number);
    lexer->setColor(MoneyGreen, QsciLexerPascal::HexNumber);
    for (int style : {QsciLexerPascal::SingleQuotedString, QsciLexerPascal::UnclosedString,
                      QsciLexerPascal::Character})
        lexer->setColor(Qt::red, style);
    // The lexer gives white space no style of its own (style 0 also carries
    // stray characters), so red goes to visible white space only.
    editor->setWhitespaceForegroundColor(Qt::red);
}

QString CodeEditor::wholeText() const {
    return text();
}

void CodeEditor::setWholeText(const QString &text) {
    const bool wasModified = isModifiedFlag();
    {
        ProgramChange change(this);
        // With wrapping on, Scintilla wraps every line of a new text before
        // setText returns (a third of a second for 1 MB); off for the load,
        // it wraps what is visible when it paints and the rest later.
        const long wrap = SendScintilla(SCI_GETWRAPMODE);
        SendScintilla(SCI_SETWRAPMODE, long(SC_WRAP_NONE));
        setText(text);
        SendScintilla(SCI_SETWRAPMODE, wrap);
        // Matching the text's line breaks keeps typed lines from mixing them.
        setEolMode(text.contains(QLatin1String("\r\n")) ? EolWindows : EolUnix);
        // Undo must not lead back into the previous article. Emptying the
        // history also moves Scintilla's save point here, hence the own flag.
        SendScintilla(SCI_EMPTYUNDOBUFFER);
        markerDeleteAll(ChangeMarker);
        SendScintilla(SCI_GOTOPOS, 0);
    }
    m_forcedModified = wasModified;
    fitGutter();
}

bool CodeEditor::isModifiedFlag() const {
    return isModified() || m_forcedModified;
}

void CodeEditor::setModifiedFlag(bool on) {
    if (on) {
        m_forcedModified = true;
    } else {
        setModified(false);
        m_forcedModified = false;
    }
}

void CodeEditor::markSaved() {
    setModifiedFlag(false);
    markerDeleteAll(ChangeMarker);
}

int CodeEditor::lineCount() const {
    return lines();
}

QString CodeEditor::lineText(int index) const {
    if (index < 0 || index >= lineCount())
        return {};
    QString line = text(index);
    while (line.endsWith(QLatin1Char('\n')) || line.endsWith(QLatin1Char('\r')))
        line.chop(1);
    return line;
}

void CodeEditor::deleteLine(int index) {
    const int count = lineCount();
    if (index < 0 || index >= count)
        return;
    long start = 0;
    long end = SendScintilla(SCI_GETLENGTH);
    if (count == 1) {
        if (end == 0)
            return; // nothing left to remove
    } else if (index < count - 1) {
        start = SendScintilla(SCI_POSITIONFROMLINE, index);
        end = SendScintilla(SCI_POSITIONFROMLINE, index + 1);
    } else {
        // The last line takes the break before it, or an empty line would stay.
        start = SendScintilla(SCI_GETLINEENDPOSITION, index - 1);
    }
    {
        ProgramChange change(this);
        SendScintilla(SCI_SETUNDOCOLLECTION, false);
        SendScintilla(SCI_DELETERANGE, start, end - start);
        SendScintilla(SCI_SETUNDOCOLLECTION, true);
        // Undo steps recorded before the removal no longer fit the text:
        // replaying one would corrupt the document (Scintilla aborts), so the
        // history has to go.
        SendScintilla(SCI_EMPTYUNDOBUFFER);
    }
    m_forcedModified = true;
    fitGutter();
}

int CodeEditor::deleteBlankLines() {
    int deleted = 0;
    for (int index = lineCount() - 1; index >= 0; --index) {
        if (SendScintilla(SCI_GETLENGTH) == 0)
            break;
        if (isBlankLine(lineText(index))) {
            deleteLine(index);
            ++deleted;
        }
    }
    return deleted;
}

bool CodeEditor::isBlankLine(const QString &line) {
    for (const QChar c : line) {
        if (c.unicode() > 0x20)
            return false;
    }
    return true;
}

void CodeEditor::setLocked(bool locked) {
    setReadOnly(locked);
}

bool CodeEditor::isLocked() const {
    return isReadOnly();
}

void CodeEditor::selectWhole() {
    selectAll(true);
}

void CodeEditor::onModified(int position, int modificationType, const char *, int length,
                            int linesAdded, int, int, int, int, int) {
    if (!(modificationType & (SC_MOD_INSERTTEXT | SC_MOD_DELETETEXT)))
        return;
    const int first = SendScintilla(SCI_LINEFROMPOSITION, position);
    const int last = (modificationType & SC_MOD_INSERTTEXT)
                         ? SendScintilla(SCI_LINEFROMPOSITION, position + length)
                         : first;
    for (int line = first; line <= last; ++line) {
        if (!(markersAtLine(line) & (1 << ChangeMarker)))
            markerAdd(line, ChangeMarker);
    }
    if (linesAdded != 0)
        fitGutter();
}

void CodeEditor::fitGutter() {
    const int digits = QString::number(lineCount()).size();
    if (digits == m_gutterDigits)
        return;
    m_gutterDigits = digits;
    const QByteArray sample(digits, '9');
    const long textWidth = SendScintilla(SCI_TEXTWIDTH, STYLE_LINENUMBER, sample.constData());
    setMarginWidth(LineNumbers, int(textWidth) + GutterLeftMargin + ScintillaNumberPadding);
}

void CodeEditor::contextMenuEvent(QContextMenuEvent *event) {
    QMenu menu(this);
    const bool locked = isLocked();
    const bool selected = hasSelectedText();
    menu.addAction(QStringLiteral("撤销"), this, &QsciScintilla::undo)
        ->setEnabled(!locked && isUndoAvailable());
    menu.addAction(QStringLiteral("重做"), this, &QsciScintilla::redo)
        ->setEnabled(!locked && isRedoAvailable());
    menu.addSeparator();
    menu.addAction(QStringLiteral("剪切"), this, &QsciScintilla::cut)
        ->setEnabled(!locked && selected);
    menu.addAction(QStringLiteral("复制"), this, &QsciScintilla::copy)->setEnabled(selected);
    menu.addAction(QStringLiteral("粘贴"), this, &QsciScintilla::paste)->setEnabled(!locked);
    menu.addAction(QStringLiteral("删除"), this, &QsciScintilla::removeSelectedText)
        ->setEnabled(!locked && selected);
    menu.addSeparator();
    menu.addAction(QStringLiteral("全选"), this, [this] { selectAll(true); })
        ->setEnabled(length() > 0);
    menu.exec(event->globalPos());
}
