#include "FileEditTestSupport.h"

#include <cstdint>

namespace stubsetup::test {
namespace {

QByteArray Le32(std::uint32_t value)
{
    QByteArray bytes;
    for (int shift = 0; shift < 32; shift += 8)
        bytes += char((value >> shift) & 0xFF);
    return bytes;
}

QByteArray Le16(std::uint16_t value)
{
    return Le32(value).left(2);
}

QByteArray ShellLinkHeader(std::uint32_t linkFlags)
{
    const QByteArray shellLinkClassId = QByteArray::fromHex("0114020000000000c000000000000046");
    return Le32(0x4C) + shellLinkClassId + Le32(linkFlags) + Le32(0x20) // archive attribute
           + QByteArray(24, '\0')                                       // three file times
           + Le32(0) + Le32(0) + Le32(1)                                // size, icon, show normal
           + Le16(0) + QByteArray(10, '\0');                            // hot key, reserved
}

QByteArray LinkInfo(const QString &localPath)
{
    const QByteArray volumeId = Le32(0x11) + Le32(3) + Le32(0x1234) + Le32(0x10) + '\0';
    const QByteArray basePath = localPath.toLatin1() + '\0';
    const std::uint32_t headerSize = 0x1C;
    const std::uint32_t basePathOffset = headerSize + std::uint32_t(volumeId.size());
    const std::uint32_t suffixOffset = basePathOffset + std::uint32_t(basePath.size());
    return Le32(suffixOffset + 1) + Le32(headerSize) + Le32(1) // volume id and local base path
           + Le32(headerSize) + Le32(basePathOffset) + Le32(0) + Le32(suffixOffset) + volumeId +
           basePath + '\0';
}

} // namespace

void WriteShortcut(const QString &path, const QString &localPath, const QString &relativePath)
{
    const std::uint32_t hasLinkInfo = 0x2;
    const std::uint32_t hasRelativePath = 0x8;
    std::uint32_t flags = 0;
    QByteArray body;
    if (!localPath.isEmpty()) {
        flags |= hasLinkInfo;
        body += LinkInfo(localPath);
    }
    if (!relativePath.isEmpty()) {
        flags |= hasRelativePath;
        body += Le16(std::uint16_t(relativePath.size())) + relativePath.toLatin1();
    }
    WriteFile(path, ShellLinkHeader(flags) + body + Le32(0));
}

CurrentDirectory::CurrentDirectory(const QString &folder) : m_previous(QDir::currentPath())
{
    QDir::setCurrent(folder);
}

CurrentDirectory::~CurrentDirectory()
{
    QDir::setCurrent(m_previous);
}

FileEditTest::FileEditTest()
{
    QObject::connect(&m_control, &CFileEditCtrl::fileEditNotify, &m_parent,
                     [this](FileEditNotification *notification) {
                         EXPECT_EQ(notification->control, &m_control);
                         m_received.push_back(
                             {notification->code, notification->text
                                                      ? std::optional<QString>(*notification->text)
                                                      : std::nullopt});
                         if (notification->text && m_rewrite)
                             *notification->text = *m_rewrite;
                         notification->answer = m_answers[notification->code];
                     });
}

std::vector<int> FileEditTest::ReceivedCodes() const
{
    std::vector<int> codes;
    for (const Received &received : m_received)
        codes.push_back(received.code);
    return codes;
}

} // namespace stubsetup::test
