// Image decoding through WIC: a decoder for the file, its first frame converted to 32-bit BGRA, the pixels
// copied into the grid with the fourth byte cleared (transparency is not part of the comparison).
#include "win32_image_file.h"

#include "win32_text.h"

#include <windows.h>
#include <wincodec.h>

#include <limits>

namespace {

// Releases a COM interface when it goes out of scope.
template <class T> class ComRef {
  public:
    ComRef() = default;
    ~ComRef() {
        if (pointer_ != nullptr) pointer_->Release();
    }
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;
    T* operator->() const { return pointer_; }
    T* Get() const { return pointer_; }
    T** Put() { return &pointer_; }

  private:
    T* pointer_ = nullptr;
};

// COM for the calling thread for the length of one decode; a thread that already has it keeps its mode.
class ComScope {
  public:
    ComScope() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComScope() {
        if (SUCCEEDED(result_)) CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

  private:
    HRESULT result_;
};

bool IsRegularFile(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

int Decode(IWICImagingFactory* factory, const std::wstring& path, PixelGrid& out) {
    ComRef<IWICBitmapDecoder> decoder;
    if (FAILED(factory->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ,
                                                  WICDecodeMetadataCacheOnDemand, decoder.Put())))
        return 5;
    ComRef<IWICBitmapFrameDecode> frame;
    if (FAILED(decoder->GetFrame(0, frame.Put()))) return 5;
    ComRef<IWICBitmapSource> converted;
    if (FAILED(WICConvertBitmapSource(GUID_WICPixelFormat32bppBGRA, frame.Get(), converted.Put()))) return 5;
    UINT width = 0;
    UINT height = 0;
    if (FAILED(converted->GetSize(&width, &height))) return 5;
    if (static_cast<uint64_t>(width) * height * 4 >
        static_cast<uint64_t>(std::numeric_limits<int32_t>::max()))
        return 6;
    std::vector<uint8_t> pixels(static_cast<size_t>(width) * height * 4);
    if (FAILED(converted->CopyPixels(nullptr, width * 4, static_cast<UINT>(pixels.size()), pixels.data())))
        return 5;
    for (size_t i = 3; i < pixels.size(); i += 4) pixels[i] = 0;
    out.width = static_cast<int32_t>(width);
    out.height = static_cast<int32_t>(height);
    out.bgra = std::move(pixels);
    return 0;
}

} // namespace

int LoadImageFileWithWic(const std::u16string& path, PixelGrid& out) {
    const std::wstring widePath = ToWide(path);
    if (!IsRegularFile(widePath)) return 53;
    ComScope com;
    ComRef<IWICImagingFactory> factory;
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IWICImagingFactory, reinterpret_cast<void**>(factory.Put()))))
        return 5;
    return Decode(factory.Get(), widePath, out);
}
