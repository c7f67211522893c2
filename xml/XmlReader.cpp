#include "xml/XmlReader.h"

#include <expat.h>

#include "common/platform/FileDescriptor.h"

#include <cerrno>
#include <string>

namespace stubsetup {
namespace {

constexpr int kPieceSize = 1024;

XmlReader &readerOf(void *userData)
{
    return *static_cast<XmlReader *>(userData);
}

void XMLCALL startElement(void *userData, const XML_Char *name, const XML_Char **attributes)
{
    readerOf(userData).onStartElement(name, attributes);
}

void XMLCALL endElement(void *userData, const XML_Char *)
{
    readerOf(userData).onEndElement();
}

void XMLCALL characterData(void *userData, const XML_Char *data, int length)
{
    readerOf(userData).onCharacterData(data, length);
}

void XMLCALL xmlDeclaration(void *userData, const XML_Char *version, const XML_Char *, int)
{
    readerOf(userData).onXmlDeclaration(version);
}

// In an ISO-8859-1 document expat takes the feminine and masculine ordinals
// and the micro sign as name characters, in UTF-8 (all the writer produces)
// it does not: a tree holding such a name could never be read back.
bool isWritableName(const char *name)
{
    for (const char *at = name; *at != '\0'; ++at)
        if (static_cast<unsigned char>(at[0]) == 0xC2 &&
            (at[1] == '\xAA' || at[1] == '\xB5' || at[1] == '\xBA'))
            return false;
    return true;
}

bool areWritableNames(const char *name, const char **attributes)
{
    for (const char **pair = attributes; pair[0]; pair += 2)
        if (!isWritableName(pair[0]))
            return false;
    return isWritableName(name);
}

// expat expands entities within entities by recursion, so a chain of them
// could exhaust a small stack. No settings file declares entities.
void XMLCALL entityDeclaration(void *userData, const XML_Char *, int, const XML_Char *, int,
                               const XML_Char *, const XML_Char *, const XML_Char *,
                               const XML_Char *)
{
    readerOf(userData).refuseEntityDeclaration();
}

} // namespace

void XmlReader::ParserDeleter::operator()(XML_ParserStruct *parser) const
{
    XML_ParserFree(parser);
}

XmlReader::XmlReader() = default;

XmlReader::~XmlReader()
{
    reset();
}

void XmlReader::reset()
{
    m_parser.reset();
    m_elementStack.clear();
    m_captureText = false;
    m_pendingText.clear();
    m_document.reset();
    m_stopErrorNumber = 0;
    m_failureReason.clear();
}

bool XmlReader::prepare(const char *encoding, char namespaceSeparator)
{
    reset();
    const XML_Char *separator = namespaceSeparator != '\0' ? &namespaceSeparator : nullptr;
    m_parser.reset(XML_ParserCreate_MM(encoding, nullptr, separator));
    if (!m_parser)
        return false;
    XML_SetUserData(m_parser.get(), this);
    try {
        m_document = std::make_unique<XmlElement>();
        m_document->setAttribute("version", "1.0");
        m_document->setAttribute("encoding", "UTF-8");
        m_elementStack.push_back(m_document.get());
    } catch (const std::bad_alloc &) {
        return false;
    }
    XML_SetStartElementHandler(m_parser.get(), startElement);
    XML_SetEndElementHandler(m_parser.get(), endElement);
    XML_SetCharacterDataHandler(m_parser.get(), characterData);
    XML_SetXmlDeclHandler(m_parser.get(), xmlDeclaration);
    XML_SetEntityDeclHandler(m_parser.get(), entityDeclaration);
    return true;
}

bool XmlReader::parseFile(const std::string &path, bool resultIfUnread)
{
    if (!m_parser)
        return false;
    // Only a file that is not there is unread; one that is there but cannot
    // be opened or read is a failure, or the caller would take it for new.
    const platform::FileDescriptor file = platform::OpenForReading(path);
    if (!file)
        return (errno == ENOENT || errno == ENOTDIR) && resultIfUnread;
    return parseOpenFile(file.get(), resultIfUnread);
}

bool XmlReader::parseOpenFile(int file, bool resultIfEmpty)
{
    if (!m_parser)
        return false;
    const long long size = platform::FileSize(file);
    if (size < 0 || !platform::SeekToStart(file))
        return false;
    if (size == 0)
        return resultIfEmpty;
    const bool status = feedFile(file);
    keepPendingText();
    return status;
}

bool XmlReader::feedFile(int file)
{
    for (bool last = false; !last;) {
        void *buffer = XML_GetBuffer(m_parser.get(), kPieceSize);
        if (!buffer) {
            errno = ENOMEM;
            return false;
        }
        const long long length = platform::ReadFull(file, static_cast<char *>(buffer), kPieceSize);
        if (length < 0)
            return false;
        last = length < kPieceSize;
        if (XML_ParseBuffer(m_parser.get(), static_cast<int>(length), last) != XML_STATUS_OK) {
            errno = parseErrorNumber();
            return false;
        }
    }
    return true;
}

// A parse stopped by a callback ends in the parser's "aborted" error, which
// says nothing; the callback kept the reason.
int XmlReader::parseErrorNumber() const
{
    if (m_stopErrorNumber != 0)
        return m_stopErrorNumber;
    return XML_GetErrorCode(m_parser.get()) == XML_ERROR_NO_MEMORY ? ENOMEM : EBADMSG;
}

// The parser may still deliver a callback or two after the stop; the first
// reason is the one that counts.
void XmlReader::stopParse(int errorNumber) noexcept
{
    if (m_stopErrorNumber != 0)
        return;
    m_stopErrorNumber = errorNumber;
    XML_StopParser(m_parser.get(), XML_FALSE);
}

// Exceptions must not unwind through expat's C frames: a failure inside a
// callback (only running out of memory can happen there) stops the parse
// instead, so the pending XML_ParseBuffer reports an error and parseFile
// answers false. The partial tree stays until the next prepare or reset.
template <typename Action> void XmlReader::stopParseOnFailure(Action action) noexcept
{
    try {
        action();
    } catch (...) {
        stopParse(ENOMEM);
    }
}

void XmlReader::refuseTooDeep() noexcept
{
    // Building the text may itself run out of memory; refuse then says ENOMEM.
    refuse("nested deeper than " + std::to_string(kMaxDepth) + " elements");
}

void XmlReader::refuseEntityDeclaration() noexcept
{
    refuse("declares an entity, which is not accepted");
}

void XmlReader::refuse(const std::string &reason) noexcept
{
    stopParseOnFailure([this, &reason] { m_failureReason = reason; });
    stopParse(EBADMSG);
}

// Hands the collected text to the element it belongs to: the top of the
// stack, which only changes at a tag, and every tag comes here first.
void XmlReader::flushText()
{
    if (m_pendingText.empty())
        return;
    m_elementStack.back()->appendText(m_pendingText.data(), m_pendingText.size());
    m_pendingText.clear();
}

// A parse that stopped inside an element leaves that element's text in the
// tree, as the rest of what was built before the stop.
void XmlReader::keepPendingText() noexcept
{
    try {
        flushText();
    } catch (const std::bad_alloc &) {
        m_pendingText.clear();
    }
}

void XmlReader::onStartElement(const char *name, const char **attributes)
{
    // The stack holds the document node under the open elements, so its size
    // is the depth of the element that starts here.
    if (m_elementStack.size() > kMaxDepth) {
        refuseTooDeep();
        return;
    }
    if (!areWritableNames(name, attributes)) {
        stopParse(EBADMSG);
        return;
    }
    stopParseOnFailure([&] {
        if (m_elementStack.empty())
            return;
        flushText();
        XmlElement *parent = m_elementStack.back();
        m_captureText = true;
        auto owned = std::make_unique<XmlElement>(name);
        XmlElement *element = owned.get();
        parent->addChild(std::move(owned));
        m_elementStack.push_back(element);
        for (const char **pair = attributes; pair[0]; pair += 2)
            element->setAttribute(pair[0], pair[1]);
    });
}

void XmlReader::onEndElement()
{
    m_captureText = false;
    if (m_elementStack.empty())
        return;
    stopParseOnFailure([this] { flushText(); });
    m_elementStack.pop_back();
}

void XmlReader::onCharacterData(const char *data, int length)
{
    if (!m_captureText || m_elementStack.empty())
        return;
    stopParseOnFailure([&] { m_pendingText.append(data, static_cast<std::size_t>(length)); });
}

void XmlReader::onXmlDeclaration(const char *version)
{
    if (!version || !m_document)
        return;
    stopParseOnFailure([&] {
        m_document->setAttribute("version", version);
        m_document->setAttribute("encoding", "UTF-8");
    });
}

} // namespace stubsetup
