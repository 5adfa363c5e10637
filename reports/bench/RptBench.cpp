// rptbench: the telephone directory of 10,000 addresses as PDF.
#include "app/Config.h"
#include "reports/ReportLayout.h"
#include "storage/DatabaseSchema.h"
#include "storage/TXbaseDataSet.h"
#include "toolkit/report/Report.h"
#include "xbase/api/XbApi.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>
#include <cstring>
#include <vector>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QTemporaryDir dir;
    LoadConfiguration(config(), dir.path());
    const QString data = config().ZVData;
    const QString path = schema::tablePath(data, QStringLiteral("ADRESS"), QStringLiteral("DBF"));
    schema::createTable(schema::kAdress, path);
    constexpr int kAddresses = 10000;
    xb_Use(path.toLocal8Bit().constData(), "FILL", XB_EXCLUSIVE, XB_CDX);
    std::vector<char> record(static_cast<std::size_t>(xb_RecSize()));
    const int famname = xb_FieldOffset("FAMNAME") - 1;
    const int telnu = xb_FieldOffset("TELNU") - 1;
    for (int i = 0; i < kAddresses; ++i) {
        std::fill(record.begin(), record.end(), ' ');
        const std::string name = "Name" + std::to_string(kAddresses - i);
        const std::string tel = "0221 " + std::to_string(100000 + i);
        std::memcpy(record.data() + famname, name.data(), name.size());
        std::memcpy(record.data() + telnu, tel.data(), tel.size());
        xb_AppendBlank();
        xb_PutRecord(record.data());
    }
    xb_Commit();
    xb_Close();
    {
        TXbaseDataSet t;
        t.DatabaseName = data;
        t.SetTableName(QStringLiteral("ADRESS.DBF"));
        t.Open();
        for (const SchemaTag &tag : schema::table(schema::kAdress).tags)
            t.IndexTag(QString(), tag.name, tag.key, 0, 0, QString());
    }

    QElapsedTimer timer;
    timer.start();
    TfrmRpt_Adr1 layout;
    const QString pdf = dir.filePath(QStringLiteral("telefon.pdf"));
    layout.MyReport->renderToPdf(pdf);
    const double seconds = timer.nsecsElapsed() / 1e9;
    std::printf("rptbench: telephone directory of %d addresses as PDF: %.2f s (%lld KB)\n", kAddresses, seconds,
                QFileInfo(pdf).size() / 1024);
    return 0;
}
