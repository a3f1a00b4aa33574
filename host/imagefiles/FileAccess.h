// Opening the files a user names: paths are UTF-8 on every platform, and a
// path must name a regular file before anything is read from it, so that a
// folder or a device gives a clear message instead of a failed read.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

struct pfFileCloser {
    void operator()(std::FILE* pFile) const { std::fclose(pFile); }
};
using pfFilePtr = std::unique_ptr<std::FILE, pfFileCloser>;

// The size of files that only tell it by being read: pipes and devices.
constexpr uint64_t kUnknownFileSize = UINT64_MAX;

// A file opened for binary reading, with its size; null with a message
// naming the path for folders and what cannot be opened.
pfFilePtr OpenForReading(const std::string& strPath, uint64_t& nSize, std::string& strError);

// Opens strPath for reading and hands the file and its size to read; the
// reason read gives is prefixed with the path.
bool ReadFileWith(const std::string& strPath,
                  const std::function<bool(std::FILE*, uint64_t nSize, std::string&)>& read, std::string& strError);

// The rest of an open file, if it holds at most nMaxBytes.
bool ReadToEnd(std::FILE* pFile, uint64_t nMaxBytes, std::vector<uint8_t>& bytes);

// The whole file; files above nMaxBytes are refused as too large.
bool ReadWholeFile(const std::string& strPath, uint64_t nMaxBytes, std::vector<uint8_t>& bytes,
                   std::string& strError);

// Created or truncated for binary writing; null with a message otherwise.
pfFilePtr OpenForWriting(const std::string& strPath, std::string& strError);

// Removes a file written in part; errors are of no further interest.
void RemovePartialFile(const std::string& strPath);

// Opens strPath for writing and hands the file to write; when writing,
// flushing or closing fails, nothing is left at strPath and the message
// starts with the path.
bool WriteFileWith(const std::string& strPath, const std::function<bool(std::FILE*, std::string&)>& write,
                   std::string& strError);

// Positions beyond 2 GB on every platform; false when the stream cannot seek.
bool SeekFile(std::FILE* pFile, uint64_t nOffset, int nWhence);
uint64_t TellFile(std::FILE* pFile);

bool IsFolder(const std::string& strPath);

// The last path element, that element without its extension, and the
// extension in lower case with its dot (empty when there is none).
std::string FileNameOf(const std::string& strPath);
std::string StemOf(const std::string& strPath);
std::string ExtensionOf(const std::string& strPath);
