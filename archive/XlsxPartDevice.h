#pragma once

#include <QIODevice>

struct zip_file;

// Reads one zip member as it inflates, so the XML parser never needs the whole
// part in memory; stops with an overrun once the part or the package as a whole
// has inflated more than allowed.
class XlsxPartDevice : public QIODevice
{
public:
    enum Overrun
    {
        NoOverrun,
        PartOverrun,
        TotalOverrun,
        TextOverrun,
        DeclaredOverrun // more than the zip's own directory says the member holds
    };

    // declaredSize is the inflated size the zip records for the member, -1 when unknown.
    XlsxPartDevice(zip_file* file, qint64 partLimit, qint64* totalRead, qint64 totalLimit,
                   qint64 declaredSize = -1);
    ~XlsxPartDevice() override;

    bool isSequential() const override { return true; }
    bool atEnd() const override { return m_eof; }
    Overrun overrun() const { return m_overrun; }
    bool inflateFailed() const { return m_failed; }

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    zip_file* m_file;
    qint64 m_partLimit;
    qint64* m_totalRead;
    qint64 m_totalLimit;
    qint64 m_declaredSize;
    qint64 m_partRead = 0;
    qint64 m_sinceMarkup = 0;
    Overrun m_overrun = NoOverrun;
    bool m_eof = false;
    bool m_failed = false;
};
