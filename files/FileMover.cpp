#include "FileMover.h"

#include "NameUtils.h"

#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QPair>
#include <QVector>

namespace {

// Bounds the redraws when a tag source keeps producing taken names.
constexpr int kMaxTagDraws = 1000;
constexpr int kTagLength = 8;

bool nameTaken(const QString& path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

} // namespace

FileMover::FileMover(TagSource tagSource) : m_tagSource(std::move(tagSource)) {}

QString FileMover::nextTag() const
{
    return m_tagSource ? m_tagSource() : randomString(kTagLength);
}

QString FileMover::temporaryPath(const QString& path) const
{
    const int slash = path.lastIndexOf('/');
    const QString dir = path.left(slash + 1);
    const QString name = path.mid(slash + 1);
    const int dot = name.lastIndexOf('.');
    const int insertAt = dot > 0 ? dot : name.size();
    for (int draw = 0; draw < kMaxTagDraws; ++draw) {
        QString candidate = name;
        candidate.insert(insertAt, "-" + nextTag());
        if (!nameTaken(dir + candidate))
            return dir + candidate;
    }
    return QString();
}

FileMover::Result FileMover::move(const QStringList& paths, int from, int to) const
{
    Result result;
    if (from == to)
        return result;
    if (from < 0 || to < 0 || from >= paths.size() || to >= paths.size()) {
        result.ok = false;
        return result;
    }

    QVector<QPair<QString, QString>> done;
    auto rename = [&](const QString& source, const QString& target) {
        if (!target.isEmpty() && QFile::rename(source, target)) {
            done.append({source, target});
            return true;
        }
        result = {false, source, target};
        return false;
    };
    auto rollBack = [&] {
        for (int i = done.size() - 1; i >= 0; --i) {
            if (!QFile::rename(done[i].second, done[i].first))
                qWarning() << "rename rollback failed" << done[i].second << done[i].first;
        }
    };

    const QString parked = temporaryPath(paths[from]);
    if (!rename(paths[from], parked))
        return result;
    const int step = from > to ? -1 : 1;
    for (int i = from; i != to; i += step) {
        if (!rename(paths[i + step], paths[i])) {
            rollBack();
            return result;
        }
    }
    if (!rename(parked, paths[to]))
        rollBack();
    return result;
}
