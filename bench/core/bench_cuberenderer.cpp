// Frames of the turning cube, as the editor's preview and the moving
// pictures draw them: 720-pixel faces (the print pictures) onto square
// frames, one attitude after another round a full turn, on one thread.
#include "bench/support/BenchSupport.h"
#include "core/CubeRenderer.h"

#include <benchmark/benchmark.h>

#include <QPainter>

namespace {

std::array<QImage, 6> PhotoLikeFaces()
{
    std::array<QImage, 6> faces;
    for (int i = 0; i < 6; ++i) {
        QImage face(720, 720, QImage::Format_RGB32);
        QPainter painter(&face);
        QLinearGradient gradient(0, 0, 720, 720);
        gradient.setColorAt(0, QColor::fromHsv(i * 60, 200, 230));
        gradient.setColorAt(1, QColor::fromHsv(i * 60 + 30, 120, 90));
        painter.fillRect(face.rect(), gradient);
        for (int k = 0; k < 40; ++k)
            painter.fillRect(QRect((k * 97) % 700, (k * 53) % 700, 20 + k, 8), QColor::fromHsv(k * 9, 180, 200));
        painter.end();
        faces[i] = face;
    }
    return faces;
}

void BM_RenderFrame(benchmark::State &state)
{
    const CubeRenderer renderer(PhotoLikeFaces());
    const QSize size(int(state.range(0)), int(state.range(0)));
    double y = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(renderer.Render(size, CubeAttitude{-20, y}));
        y += 2;
    }
    state.SetItemsProcessed(state.iterations());
}

BENCHMARK(BM_RenderFrame)->Arg(480)->Arg(720)->Arg(1080)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    return RunWithGuiApplication(argc, argv);
}
