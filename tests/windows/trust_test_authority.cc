// Makes the Windows programs under test trust one throwaway certificate
// authority, as SSL_CERT_FILE does for the Linux ones: the authority in the
// PEM file named by the argument goes into the current user's "Root" store,
// and whatever this program put there before comes out, so the store holds
// the system's roots and that one authority. Without an argument, or with an
// empty one, it only takes its earlier ones out. Wine adds to that store
// without asking (Windows would ask the user); the product's own check of
// certificates stays as it is.
#include <windows.h>
// (after windows.h)
#include <wincrypt.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

// What marks the certificates this program added.
constexpr wchar_t kMark[] = L"ZAN test authority";

bool Marked(PCCERT_CONTEXT certificate) {
  wchar_t name[64] = {};
  DWORD size = sizeof name;
  return CertGetCertificateContextProperty(
             certificate, CERT_FRIENDLY_NAME_PROP_ID, name, &size) &&
         std::wstring(name) == kMark;
}

void TakeOutMarked(HCERTSTORE store) {
  std::vector<PCCERT_CONTEXT> marked;
  PCCERT_CONTEXT certificate = nullptr;
  while ((certificate = CertEnumCertificatesInStore(store, certificate))) {
    if (Marked(certificate)) {
      marked.push_back(CertDuplicateCertificateContext(certificate));
    }
  }
  for (PCCERT_CONTEXT c : marked) CertDeleteCertificateFromStore(c);
}

// A path from the Linux side ("/tmp/...") is reached through drive Z:.
std::string WindowsPath(std::string path) {
  if (!path.empty() && path[0] == '/') path = "Z:" + path;
  return path;
}

bool AddAuthority(HCERTSTORE store, const std::string& pem_file) {
  std::ifstream in(WindowsPath(pem_file), std::ios::binary);
  const std::string pem((std::istreambuf_iterator<char>(in)),
                        std::istreambuf_iterator<char>());
  DWORD size = 0;
  if (pem.empty() ||
      !CryptStringToBinaryA(pem.data(), static_cast<DWORD>(pem.size()),
                            CRYPT_STRING_BASE64HEADER, nullptr, &size, nullptr,
                            nullptr)) {
    return false;
  }
  std::vector<BYTE> der(size);
  if (!CryptStringToBinaryA(pem.data(), static_cast<DWORD>(pem.size()),
                            CRYPT_STRING_BASE64HEADER, der.data(), &size,
                            nullptr, nullptr)) {
    return false;
  }
  PCCERT_CONTEXT added = nullptr;
  if (!CertAddEncodedCertificateToStore(store, X509_ASN_ENCODING, der.data(),
                                        size, CERT_STORE_ADD_REPLACE_EXISTING,
                                        &added)) {
    return false;
  }
  CRYPT_DATA_BLOB mark{sizeof kMark,
                       reinterpret_cast<BYTE*>(const_cast<wchar_t*>(kMark))};
  const bool marked = CertSetCertificateContextProperty(
      added, CERT_FRIENDLY_NAME_PROP_ID, 0, &mark);
  CertFreeCertificateContext(added);
  return marked;
}

}  // namespace

int main(int argc, char** argv) {
  // The store's own registry key: Wine's system store of that name takes
  // additions through to it, but deletions only from its copy in memory.
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER,
                      L"Software\\Microsoft\\SystemCertificates\\Root", 0,
                      nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                      nullptr) != ERROR_SUCCESS) {
    std::fprintf(stderr, "cannot open the user's Root store\n");
    return 1;
  }
  HCERTSTORE store = CertOpenStore(CERT_STORE_PROV_REG, 0, 0, 0, key);
  if (!store) {
    RegCloseKey(key);
    std::fprintf(stderr, "cannot open the user's Root store\n");
    return 1;
  }
  TakeOutMarked(store);
  int code = 0;
  if (argc > 1 && argv[1][0] != '\0' && !AddAuthority(store, argv[1])) {
    std::fprintf(stderr, "cannot trust %s\n", argv[1]);
    code = 1;
  }
  CertCloseStore(store, 0);
  RegCloseKey(key);
  return code;
}
