// The thumbnail generator on a 24-megapixel JPEG made here: in-process time
// per output size, then whole-process time and peak memory per size, beside
// vipsthumbnail making the same 250-pixel thumbnail. Then the squares a Fill
// face shows, decoded alone by JpegRegion, beside Qt's reader decoding the
// whole photo at 1/8 and the same squares at full size.
#include "bench/support/BenchSupport.h"
#include "components/pixlet/JpegRegion.h"
#include "components/pixlet/PictureDecoder.h"
#include "components/pixlet/Pixlet.h"
#include "tests/support/TestFormats.h"

#include <benchmark/benchmark.h>
#include <libheif/heif.h>

#include <QBuffer>
#include <QCoreApplication>
#include <QFile>
#include <QImageReader>

#include <cstring>
#include <vector>

namespace {

char *selfPath = nullptr;

QString SourcePhoto()
{
    return MakePhoto(WorkFile(QStringLiteral("photo24mp.jpg")), 0);
}

QString OutputPath(int box)
{
    return WorkFile(QStringLiteral("pixlet%1.jpg").arg(box));
}

bool MakeThumbnail(const QString &source, const QString &output, int box)
{
    Pixlet pixlet;
    pixlet.setSourceFile(source);
    pixlet.setBoxWidth(qint16(box));
    pixlet.setBoxHeight(qint16(box));
    pixlet.setDestinationFile(output);
    return pixlet.Generate();
}

void BM_PixletInProcess(benchmark::State &state)
{
    const QString source = SourcePhoto();
    const int box = int(state.range(0));
    for (auto _ : state)
        if (!MakeThumbnail(source, OutputPath(box), box))
            state.SkipWithError("generation failed");
}

void BM_PixletProcess(benchmark::State &state)
{
    const int box = int(state.range(0));
    RunProcesses(
        state, {{selfPath, "thumb", SourcePhoto().toStdString(), OutputPath(box).toStdString(), std::to_string(box)}});
}

void BM_VipsthumbnailProcess(benchmark::State &state)
{
    const int box = int(state.range(0));
    const std::string size = std::to_string(box) + "x" + std::to_string(box);
    RunProcesses(state, {{"vipsthumbnail", SourcePhoto().toStdString(), "-s", size, "-o",
                          WorkFile(QStringLiteral("vips%1.jpg[Q=90]").arg(box)).toStdString()}});
}

BENCHMARK(BM_PixletInProcess)
    ->Arg(77)
    ->Arg(208)
    ->Arg(250)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(7)
    ->ReportAggregatesOnly(true);
// Whole processes: three runs an iteration, five iterations.
void ProcessRuns(benchmark::internal::Benchmark *b)
{
    b->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3)->Repetitions(5)->ReportAggregatesOnly(true);
}

BENCHMARK(BM_PixletProcess)->Arg(77)->Arg(208)->Arg(250)->Apply(ProcessRuns);
BENCHMARK(BM_VipsthumbnailProcess)->Arg(250)->Apply(ProcessRuns);

const QByteArray &PhotoBytes()
{
    static const QByteArray bytes = [] {
        QFile file(SourcePhoto());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }();
    return bytes;
}

// Squares of the 6000 x 4000 photo at the smallest scale that gives a
// 720-pixel face at least: 1200 pixels at 5/8 near the top and at the
// bottom, where every row above must still be Huffman-decoded, and the
// largest square at 2/8.
const struct
{
    QRect square;
    int scale;
    const char *label;
} kSquares[] = {
    {QRect(3000, 1000, 1200, 1200), 5, "1200 px at (3000,1000)"},
    {QRect(4800, 2800, 1200, 1200), 5, "1200 px at (4800,2800)"},
    {QRect(1000, 0, 4000, 4000), 2, "4000 px at (1000,0)"},
};

QImage ReadWithQt(QSize scaledSize, const QRect &clip)
{
    QBuffer buffer;
    buffer.setData(PhotoBytes());
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "jpeg");
    if (scaledSize.isValid())
        reader.setScaledSize(scaledSize);
    if (clip.isValid())
        reader.setClipRect(clip);
    return reader.read();
}

void BM_QtWholeAtEighth(benchmark::State &state)
{
    for (auto _ : state)
        if (ReadWithQt(QSize(750, 500), {}).isNull())
            state.SkipWithError("decoding failed");
}

void BM_JpegRegionSquare(benchmark::State &state)
{
    const auto &square = kSquares[state.range(0)];
    state.SetLabel(QStringLiteral("%1 at %2/8").arg(QLatin1String(square.label)).arg(square.scale).toStdString());
    for (auto _ : state)
        if (JpegRegion::Decode(PhotoBytes(), square.square, square.scale).picture.isNull())
            state.SkipWithError("decoding failed");
}

void BM_QtClipRectSquare(benchmark::State &state)
{
    const auto &square = kSquares[state.range(0)];
    state.SetLabel(std::string(square.label) + " at full size");
    for (auto _ : state)
        if (ReadWithQt({}, square.square).isNull())
            state.SkipWithError("decoding failed");
}

void Repeated(benchmark::internal::Benchmark *b)
{
    b->Unit(benchmark::kMillisecond)->Repetitions(7)->ReportAggregatesOnly(true);
}

BENCHMARK(BM_QtWholeAtEighth)->Apply(Repeated);
BENCHMARK(BM_JpegRegionSquare)->DenseRange(0, 2)->Apply(Repeated);
BENCHMARK(BM_QtClipRectSquare)->DenseRange(0, 2)->Apply(Repeated);

// A HEIC of 141 x 141 tiles of 64 pixels, all sharing one tile's data:
// 19,881 items in 830 KB.
const QByteArray &TileBomb()
{
    static const QByteArray bytes = [] {
        QImage tile(64, 64, QImage::Format_RGB32);
        tile.fill(Qt::gray);
        return TestFormats::HeifTileGrid(tile, 141, 141);
    }();
    return bytes;
}

// What reading such a file cost when libheif saw it first: its parse alone.
void BM_LibheifParsesTileBomb(benchmark::State &state)
{
    for (auto _ : state) {
        heif_context *context = heif_context_alloc();
        heif_context_read_from_memory_without_copy(context, TileBomb().constData(), size_t(TileBomb().size()), nullptr);
        heif_context_free(context);
    }
}

// The decoder refuses it on the items its boxes declare.
void BM_DecoderRefusesTileBomb(benchmark::State &state)
{
    for (auto _ : state)
        if (!PictureDecoder::Decode(TileBomb(), "heif", QSize(250, 250)).isNull())
            state.SkipWithError("the file was read");
}

BENCHMARK(BM_LibheifParsesTileBomb)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_DecoderRefusesTileBomb)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    selfPath = argv[0];
    QCoreApplication app(argc, argv);
    if (argc == 5 && std::strcmp(argv[1], "thumb") == 0)
        return MakeThumbnail(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]), std::atoi(argv[4])) ? 0
                                                                                                                   : 1;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
