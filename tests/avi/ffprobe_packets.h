#pragma once

#include <cstdint>
#include <cstdio>
#include <map>
#include <sstream>
#include <string>
#include <vector>

// Runs the installed FFmpeg and GStreamer command-line tools for reference files and packets.
namespace avitest {

// Runs a shell command, stopped after two minutes; its standard output, and whether it
// exited with 0.
inline bool RunCommand(const std::string& command, std::string* output = nullptr) {
  FILE* pipe = popen(("timeout 120 " + command + " 2>/dev/null").c_str(), "r");
  if (!pipe) return false;
  std::string text;
  char buffer[4096];
  size_t got;
  while ((got = fread(buffer, 1, sizeof buffer, pipe)) > 0) text.append(buffer, got);
  int status = pclose(pipe);
  if (output) *output = text;
  return status == 0;
}

struct ProbePacket {
  uint64_t pos;  // of the packet data
  uint32_t size;
  bool key;
};

struct ProbeResult {
  std::map<int, std::string> types;                 // stream index -> "video", "audio"
  std::map<int, std::vector<ProbePacket>> packets;  // stream index -> packets in file order
};

inline bool Probe(const std::string& path, ProbeResult& result) {
  std::string text;
  if (!RunCommand("ffprobe -v error -show_entries stream=index,codec_type -of csv=p=0 '" + path + "'",
                  &text)) {
    return false;
  }
  std::istringstream streams(text);
  std::string line;
  while (std::getline(streams, line)) {
    size_t comma = line.find(',');
    if (comma != std::string::npos) result.types[std::stoi(line)] = line.substr(comma + 1);
  }
  // Fields come in ffprobe's order: stream_index, size, pos, flags.
  if (!RunCommand(
          "ffprobe -v error -show_entries packet=stream_index,size,pos,flags -of csv=p=0 '" + path + "'",
          &text)) {
    return false;
  }
  std::istringstream packets(text);
  while (std::getline(packets, line)) {
    int stream = 0;
    unsigned long size = 0;
    unsigned long long pos = 0;
    char flags[8] = {};
    if (std::sscanf(line.c_str(), "%d,%lu,%llu,%7s", &stream, &size, &pos, flags) == 4) {
      result.packets[stream].push_back(ProbePacket{pos, static_cast<uint32_t>(size), flags[0] == 'K'});
    }
  }
  return true;
}

}  // namespace avitest
