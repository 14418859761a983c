// SPDX-License-Identifier: GPL-3.0-or-later
#include "reliability/TraceAudit.h"

#include <QDir>
#include <QHash>
#include <QRegularExpression>

namespace navicella::test {
namespace {

struct Call {
    QString name;
    QString arguments;
    QString result;
    QString line;
};

// strace -f splits a call that another thread interrupts into an
// "<unfinished ...>" line and a "<... name resumed>" line: join them.
QList<Call> calls(const QStringList& lines)
{
    static const QRegularExpression pidPrefix(QStringLiteral(R"(^(\d+)\s+(.*)$)"));
    static const QRegularExpression resumed(QStringLiteral(R"(^<\.\.\. \w+ resumed>(.*)$)"));
    static const QRegularExpression call(QStringLiteral(R"(^(\w+)\((.*)\)\s+=\s+(.*)$)"));
    const QString unfinished = QStringLiteral("<unfinished ...>");
    QHash<QString, QString> pending;
    QList<Call> result;
    for (const QString& raw : lines) {
        const auto prefixed = pidPrefix.match(raw);
        const QString pid = prefixed.hasMatch() ? prefixed.captured(1) : QString();
        QString text = prefixed.hasMatch() ? prefixed.captured(2) : raw.trimmed();
        if (text.endsWith(unfinished)) {
            pending[pid] = text.chopped(unfinished.size()).trimmed();
            continue;
        }
        if (const auto r = resumed.match(text); r.hasMatch())
            text = pending.take(pid) + r.captured(1);
        if (const auto c = call.match(text); c.hasMatch())
            result.append({c.captured(1), c.captured(2), c.captured(3), pid + u' ' + text});
    }
    return result;
}

QString firstQuoted(const QString& text)
{
    static const QRegularExpression quoted(QStringLiteral(R"re("((?:[^"\\]|\\.)*)")re"));
    const auto m = quoted.match(text);
    return m.hasMatch() ? m.captured(1) : QString();
}

// The path a call names, made absolute with the folder strace shows for its
// directory descriptor (-yy), as in openat(AT_FDCWD</tmp/run>, "x", ...).
QString pathOf(const Call& call)
{
    QString path = firstQuoted(call.arguments);
    if (path.startsWith(u'/') || path.isEmpty())
        return path;
    static const QRegularExpression directory(QStringLiteral(R"(^[^,"]*<([^>]*)>,)"));
    const auto m = directory.match(call.arguments);
    return QDir::cleanPath((m.hasMatch() ? m.captured(1) : QString()) + u'/' + path);
}

bool opensForWriting(const Call& call)
{
    static const QRegularExpression writing(
        QStringLiteral(R"(\bO_(WRONLY|RDWR|CREAT|TRUNC|APPEND)\b)"));
    return call.name == QLatin1String("creat") || call.arguments.contains(writing);
}

QString unixPeer(const QString& arguments)
{
    static const QRegularExpression path(QStringLiteral(R"re(sun_path=(@?)"((?:[^"\\]|\\.)*)")re"));
    const auto m = path.match(arguments);
    return m.hasMatch() ? m.captured(1) + m.captured(2) : QStringLiteral("(unnamed)");
}

}  // namespace

TraceAudit auditTrace(const QStringList& lines, const TraceRules& rules)
{
    static const QStringList OpenCalls{"open", "openat", "openat2", "creat", "open_by_handle_at"};
    static const QStringList ChangeCalls{"rename", "renameat", "renameat2", "unlink",  "unlinkat",
                                         "rmdir",  "link",     "linkat",    "symlink", "symlinkat",
                                         "mknod",  "mknodat",  "truncate"};
    static const QStringList ListenCalls{"bind", "listen"};

    QString displayNumber = rules.display.section(u':', 1).section(u'.', 0, 0);
    const QStringList xServer{"@/tmp/.X11-unix/X" + displayNumber,
                              "/tmp/.X11-unix/X" + displayNumber};
    const QStringList sessionServers{rules.runtimeDir + QStringLiteral("/pulse/native"),
                                     rules.runtimeDir + QStringLiteral("/bus")};
    const QString cookieFolder = rules.home + QStringLiteral("/.config/pulse");
    const QString cookie = cookieFolder + QStringLiteral("/cookie");
    const QStringList cookieFolders{rules.home + QStringLiteral("/.config"), cookieFolder};

    TraceAudit audit;
    const auto allow = [&](const Call& call, const char* why) {
        audit.allowed << QStringLiteral("%1 (%2)").arg(call.line.simplified(), QLatin1String(why));
    };
    for (const Call& call : calls(lines)) {
        ++audit.calls;
        const QString& name = call.name;
        if (OpenCalls.contains(name)) {
            if (!opensForWriting(call))
                continue;
            const QString path = pathOf(call);
            if (path == QLatin1String("/dev/null"))
                allow(call, "keeps nothing");
            else if (path == cookie)
                allow(call, "PulseAudio client cookie");
            else
                audit.writes << call.line;
        } else if (ChangeCalls.contains(name)) {
            audit.writes << call.line;
        } else if (name == QLatin1String("mkdir") || name == QLatin1String("mkdirat")) {
            if (call.result.startsWith(QLatin1String("-1 EEXIST")))
                allow(call, "there already");
            else if (cookieFolders.contains(pathOf(call)))
                allow(call, "folder of the PulseAudio client cookie");
            else
                audit.writes << call.line;
        } else if (name == QLatin1String("ftruncate")) {
            if (call.arguments.contains(QLatin1String("</memfd:pulseaudio>")))
                allow(call, "memory shared with the PulseAudio server");
            else if (call.arguments.contains(u'<' + cookie + u'>'))
                allow(call, "PulseAudio client cookie");
            else
                audit.writes << call.line;
        } else if (name == QLatin1String("memfd_create")) {
            if (firstQuoted(call.arguments) == QLatin1String("pulseaudio"))
                allow(call, "memory shared with the PulseAudio server");
            else
                audit.writes << call.line;
        } else if (name == QLatin1String("socket") || name == QLatin1String("socketpair")) {
            if (!call.arguments.startsWith(QLatin1String("AF_UNIX,")))
                audit.network << call.line;
        } else if (name == QLatin1String("connect")) {
            if (!call.arguments.contains(QLatin1String("sa_family=AF_UNIX"))) {
                audit.network << call.line;
                continue;
            }
            const QString peer = unixPeer(call.arguments);
            if (!audit.unixPeers.contains(peer))
                audit.unixPeers << peer;
            if (!xServer.contains(peer) && !sessionServers.contains(peer))
                audit.network << call.line;
        } else if (ListenCalls.contains(name)) {
            audit.network << call.line;
        } else if (name == QLatin1String("execve")) {
            // A program looked for along PATH is tried in every folder: name it once.
            const QString program =
                firstQuoted(call.arguments).section(u'/', -1) +
                (call.result.startsWith(QLatin1String("-1")) ? " (not started)" : "");
            if (!audit.programs.contains(program))
                audit.programs << program;
        }
    }
    return audit;
}

}  // namespace navicella::test
