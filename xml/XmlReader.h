#pragma once

#include "xml/XmlElement.h"

#include <cstddef>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

struct XML_ParserStruct;

namespace stubsetup {

// Parses an XML file with expat into an XmlElement tree that it owns. Calling
// order: prepare, one parseFile, then work on document().
class XmlReader {
public:
    XmlReader();
    ~XmlReader();
    XmlReader(const XmlReader &) = delete;
    XmlReader &operator=(const XmlReader &) = delete;

    // Frees the parser and destroys the tree.
    void reset();
    // Starts a fresh parse. A null encoding lets the parser detect it; a zero
    // separator turns namespace processing off.
    bool prepare(const char *encoding, char namespaceSeparator);
    // A missing or empty file answers `resultIfUnread`; otherwise true when
    // the whole file could be read and is a well-formed document whose
    // elements nest at most kMaxDepth deep. On failure errno tells why: the
    // open or read error, ENOMEM, or EBADMSG for a document that is not
    // well-formed or that the reader refuses.
    bool parseFile(const std::string &path, bool resultIfUnread);
    // The same for a file the caller has opened (and perhaps locked), read
    // from its start.
    bool parseOpenFile(int file, bool resultIfEmpty);
    // No settings file comes near this depth; a deeper file is refused.
    static constexpr std::size_t kMaxDepth = 1000;
    // Why the last parse refused the document, in words, where the parser's
    // own error would not say it: "nested deeper than 1000 elements", or
    // "declares an entity, which is not accepted". Empty otherwise.
    const std::string &failureReason() const { return m_failureReason; }
    XmlElement *document() const { return m_document.get(); }

    // expat callbacks forward here. They never throw: running out of memory
    // stops the parse with ENOMEM, so parseFile answers false.
    void onStartElement(const char *name, const char **attributes);
    void onEndElement();
    void onCharacterData(const char *data, int length);
    void onXmlDeclaration(const char *version);
    void refuseEntityDeclaration() noexcept;

private:
    struct ParserDeleter {
        void operator()(XML_ParserStruct *parser) const;
    };

    bool feedFile(int file);
    int parseErrorNumber() const;
    void flushText();
    void keepPendingText() noexcept;
    void refuseTooDeep() noexcept;
    void refuse(const std::string &reason) noexcept;
    void stopParse(int errorNumber) noexcept;
    template <typename Action> void stopParseOnFailure(Action action) noexcept;

    std::unique_ptr<XmlElement> m_document;
    std::vector<XmlElement *> m_elementStack;
    bool m_captureText = false;
    // Character data comes in pieces (each entity is one); collected here, the
    // text of an element is allocated once at its final size.
    std::string m_pendingText;
    std::unique_ptr<XML_ParserStruct, ParserDeleter> m_parser;
    int m_stopErrorNumber = 0; // why a callback stopped the parse, for errno
    std::string m_failureReason;
};

} // namespace stubsetup
