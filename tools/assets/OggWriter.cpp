// Ogg Vorbis output of a rendered track, with libvorbisenc.
#include "Music.h"

#include <algorithm>
#include <cstdio>
#include <vorbis/vorbisenc.h>

namespace {

bool writePage(std::FILE* f, const ogg_page& page) {
    return std::fwrite(page.header, 1, static_cast<size_t>(page.header_len), f) ==
               static_cast<size_t>(page.header_len) &&
           std::fwrite(page.body, 1, static_cast<size_t>(page.body_len), f) ==
               static_cast<size_t>(page.body_len);
}

} // namespace

bool writeOgg(const std::string& path, const Stereo& audio, unsigned serial) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;

    vorbis_info vi;
    vorbis_info_init(&vi);
    // Quality 0.2 keeps the longest track well under a megabyte.
    if (vorbis_encode_init_vbr(&vi, 2, sampleRate, 0.2f) != 0) {
        vorbis_info_clear(&vi);
        std::fclose(f);
        return false;
    }
    vorbis_comment vc;
    vorbis_comment_init(&vc);
    vorbis_dsp_state vd;
    vorbis_analysis_init(&vd, &vi);
    vorbis_block vb;
    vorbis_block_init(&vd, &vb);
    ogg_stream_state os;
    // A fixed serial number, so that every run writes the same bytes.
    ogg_stream_init(&os, static_cast<int>(serial));

    bool ok = true;
    ogg_packet header, comments, codebooks;
    vorbis_analysis_headerout(&vd, &vc, &header, &comments, &codebooks);
    ogg_stream_packetin(&os, &header);
    ogg_stream_packetin(&os, &comments);
    ogg_stream_packetin(&os, &codebooks);
    ogg_page page;
    while (ogg_stream_flush(&os, &page)) ok = ok && writePage(f, page);

    const size_t total = audio.left.size(), chunk = 4096;
    for (size_t at = 0;; at += chunk) {
        size_t n = at < total ? std::min(chunk, total - at) : 0;
        if (n > 0) {
            float** buf = vorbis_analysis_buffer(&vd, static_cast<int>(n));
            for (size_t i = 0; i < n; ++i) {
                buf[0][i] = audio.left[at + i];
                buf[1][i] = audio.right[at + i];
            }
        }
        // Writing zero samples marks the end of the stream.
        vorbis_analysis_wrote(&vd, static_cast<int>(n));
        while (vorbis_analysis_blockout(&vd, &vb) == 1) {
            vorbis_analysis(&vb, nullptr);
            vorbis_bitrate_addblock(&vb);
            ogg_packet packet;
            while (vorbis_bitrate_flushpacket(&vd, &packet)) {
                ogg_stream_packetin(&os, &packet);
                while (ogg_stream_pageout(&os, &page)) ok = ok && writePage(f, page);
            }
        }
        if (n == 0) break;
    }
    while (ogg_stream_flush(&os, &page)) ok = ok && writePage(f, page);

    ogg_stream_clear(&os);
    vorbis_block_clear(&vb);
    vorbis_dsp_clear(&vd);
    vorbis_comment_clear(&vc);
    vorbis_info_clear(&vi);
    return std::fclose(f) == 0 && ok;
}
