#!/usr/bin/env python3
"""Writes the fuzz targets' seed corpora (fuzz/corpus/<target>/) from
real-looking inputs: album-list scripts, photo lists, header blocks, cookie
texts, addresses and Chinese names in GBK. Each seed is option bytes and
fields separated by zero bytes, as fuzz/fuzz_support.h reads them."""
import hashlib
import os
import shutil

here = os.path.dirname(os.path.abspath(__file__))


def gbk(text):
    return text.encode("gbk")


def seed(options, *fields):
    assert 0 not in options, "option bytes hold no zero: it separates the fields"
    parts = [options] + [f if isinstance(f, bytes) else gbk(f) for f in fields]
    return b"\0".join(parts)


def write(target, seeds):
    folder = os.path.join(here, "corpus", target)
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    for data in seeds:
        name = hashlib.sha1(data).hexdigest()[:16]
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)


PHOTO_LIST = (
    "var g_photos = [\n"
    "{id:1,ourl:'3/photo/demo/1001/1.jpg',ow:640,oh:480,desc:'断桥残雪'},\n"
    "{id:2,ourl:'1/photo/demo/1001/2.jpg',ow:800,oh:600,desc:'苏堤　春晓'},\n"
    "{id:3,ourl:' ',ow:1,oh:1,desc:''},\n"
    "{id:4,ourl:'8/photo/demo/1001/4.jpg',ow:1,oh:1,desc:'雷峰塔'}\n];\n"
)

ALBUM_SCRIPT = (
    "var g_albums = [\n"
    "{id:1001,name:'西湖春游',s:0,count:6,t:'1425096000',lurl:'5/cover/1001.jpg',dmt:1425096001,"
    "purl:'photo.163.com/photo/demo/dwr/list/1001.js'},\n"
    "{id:1003,name:'毕业照（2015）',s:0,count:5,t:'1435708800',lurl:'5/cover/1003.jpg',dmt:1435708801,purl:''},\n"
    "{id:1005,name:'旅行·云南',s:0,count:3,t:'',lurl:'5/a/b.jpg',dmt:1,purl:'x'},"
    "{id:7,name:'乗亅',s:1,count:12,t:'0',lurl:'/',dmt:,purl:''}\n];\n"
)

HOME_PAGE = (
    "<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"gbk\">\n<script>\nvar pageConfig = {\n"
    "  account : 'demo',\n  albumUrl : 'http://photo.163.com/photo/demo/dwr/albums/demo.js',\n"
    "  pageSize : 40\n};\n</script>\n<title>demo的相册 - 网易相册</title>\n</head>\n</html>\n"
)

SIGN_IN_PAGE = "<p id=\"sign-in-required\">请先登录，登录后才能查看demo的相册。</p>"

HEADER_BLOCK = (
    "HTTP/1.1 200 OK\r\nContent-Type: text/javascript; charset=gbk\r\n"
    "Set-Cookie: NTES_SESS=abc123; path=/; HttpOnly\r\n"
    "set-cookie: P_INFO=demo|1425096000; domain=.163.com\r\n"
    "SET-COOKIE: JSESSIONID=x=y=z\r\n"
    "Set-Cookie: old=deleted; expires=Thu, 01 Jan 1970 00:00:00 GMT\r\n"
    "Content-Length: 120\r\n\r\n"
)


def text_seeds():
    return [
        seed(b"\x05\x80", "xxabcabc", "abc"),
        seed(b"\x04\x81", "a=[1] b=[2]", "[", "]"),
        seed(b"\x0a\x80", "a=[1] b=[2]", "[", "}"),
        seed(b"\x05\x80", 'x="7"', "x=#引号", "#引号"),
        seed(b"\x05\x80", "< a >", "<", ">"),
        seed(b"\x05\x80", "ourl:'a', ourl:'b', ourl:' ', ourl:'c',", "ourl:'", "',"),
        seed(b"\x05\x80\x01", "(ab)(c)(de)(f)", "(", ")"),
        seed(b"\x05\x80", "'a' 'b'", "'", "'"),
        seed(b"\x05\x80", PHOTO_LIST, "ourl:'", "',"),
        seed(b"\x05\x83", PHOTO_LIST.upper(), "OURL:'", "',", "http://img.ph.126.net/", ".jpg"),
        seed(b"\x05\x8e\x10", PHOTO_LIST, "desc:'", "'", "<", ">"),
        seed(b"\x05\x80", "　　网易　相册　 ", "网易", "相册"),
        seed(b"\x05\x81", "乗\\亅|表", "\\", "|"),
        seed(b"\x05\x81", "啊Ａ中文ABCabc", "ａ", "ABC"),
        seed(b"\x05\x80", HEADER_BLOCK, "\r\n", "Set-Cookie:"),
        seed(b"\x05\x80", "dwr.engine._remoteHandleCallback('530377','0',\"photo.163.com/x\");", "'0',\"", "\");"),
    ]


def url_seeds():
    return [
        seed(b"\x80", "http://P.Q.R:81/a/b?x=1", "Accept: */*"),
        seed(b"\x82", "http://P.Q.R:81/a/b?x=1", "Referer: http://x/"),
        seed(b"\x81", "http://P.Q.R:81/a/b?x=1", "User-Agent: User-Agent:Mozilla/5.0 (Windows NT 5.1)"),
        seed(b"\x80", "p.q/path", "no colon here"),
        seed(b"\x80", "https://Host/", "　Accept-Language :　zh-cn "),
        seed(b"\x84\x03", "https://a.b.c.d.e/x", "Content-Type: application/x-www-form-urlencoded"),
        seed(b"\x85\x03", "https://a.b.c.d.e/x", "Cookie: a=1; b=2"),
        seed(b"\x85\x02", "https://a.b.c.d.e/x", "X:\t\tvalue\t"),
        seed(b"\x84\x07", "https://a.b.c.d.e/x", ":"),
        seed(b"\x80", "http://host?x=1", "Host: photo.163.com:80"),
        seed(b"\x80", "HTTPS://host/", ""),
        seed(b"\x80", "http://host:/", "a:b:c"),
        seed(b"\x80", "http://img.ph.126.net//photo/demo/1001/1.jpg", "Accept: image/*"),
        seed(b"\x80", "http://img1.ph.126.net/photo/demo/1001/1.jpg", "Referer: http://photo.163.com/demo/"),
        seed(b"\x80", "http://photo.163.com/demo/#m=0&p=1", "Accept: */*"),
        seed(b"\x80", "http://photo.localhost:18163/相册/中文?名=值", "名称：值"),
        seed(b"\x80", "tp://p/x", "p"),
        seed(b"\x80", "http://[::1]:8080/path", "X-Port: 8080"),
    ]


def cookie_seeds():
    return [
        seed(b"\x81", HEADER_BLOCK, "a=1; b=2", "b=3; c=4"),
        seed(b"\x81", "HTTP/1.1 200 OK\r\nSet-Cookie: a=1; path=/\r\nSet-Cookie: b=2\r\n\r\n", "a=1; b=2", "b=deleted"),
        seed(b"\x82", "HTTP/1.1 302 Found\r\nLocation: /\r\n\r\n", "a=1", ""),
        seed(b"\x81", "", "x = 1", ""),
        seed(b"\x81", "", "a=1; a=2", ""),
        seed(b"\x81", "", "A=1", "a=2"),
        seed(b"\x81", "", "t=a=b", "t=c"),
        seed(b"\x82", "", "a=1;;b=2", ""),
        seed(b"\x81", "", "x; y; x", ""),
        seed(b"\x81", "Set-Cookie: 名字=网易\r\nSet-Cookie: b=2; path=/\r\n", "NTES_SESS=abc; P_INFO=demo|1", "名字=相册"),
        seed(b"\x83", "", "a=1, b=2, a=1", "a=deleted;a=3"),
        seed(b"\x81", "HTTP/1.1 200 OK\r\nset-cookie:NTES_SESS=; Max-Age=0\r\n", "　NTES_SESS=abc　", "NTES_SESS=deleted"),
    ]


def encoding_seeds():
    photo_list_utf8 = PHOTO_LIST.encode("utf-8")
    return [
        "中文abc".encode("utf-8"),
        b"ab\0cd",
        photo_list_utf8,
        "旅行·云南 € ā á ǎ à ü".encode("utf-8"),
        "한국어 😀 e\u0301".encode("utf-8"),
        b"a\xC3(b\xFF\xE4\xB8\xAD\xED\xA0\x80",
        "中文".encode("utf-16-le"),
        "ab".encode("utf-16-le") + b"\0\0" + "cd".encode("utf-16-le"),
        "a\u030c".encode("utf-16-le") + b"b",
        "\ud83d".encode("utf-16-le", "surrogatepass") + "x".encode("utf-16-le"),
        gbk("西湖春游 乗亅"),
        b"\x81\x5c\x80\xff\xa1\xa1",
    ]


def record_seeds():
    return [
        seed(b"\x80", "http://demo.photo.localhost/", HOME_PAGE, ALBUM_SCRIPT),
        seed(b"\x81", "http://abc.photo.163.com/", HOME_PAGE, ALBUM_SCRIPT),
        seed(b"\x81", "http://photo.163.com/abc/", SIGN_IN_PAGE, ALBUM_SCRIPT.replace("\n", "")),
        seed(b"\x81", "http://photo.163.com/abc", "albumUrl : 'x/y.js'", "{id:1,name:'a\nb',s:0,count:1,t:'',lurl:'5/a.jpg',dmt:1,purl:'p'}"),
        seed(b"\x80", "abc.photo.localhost", "albumUrl :'x'", "{ID:1,NAME:'A',S:0,COUNT:1,T:'',LURL:'5/A.JPG',DMT:1,PURL:'P'}"),
        seed(b"\x81", "  http://photo.163.com/相册/  ", "", "{id:,name:'',s:,count:,t:',lurl:'/',dmt:purl:''}"),
        seed(b"\x80", "http://demo.PHOTO.LOCALHOST/", "", b"\xFF\x81\x20\x80{id:7,name:'\xFF\xFE',s:0,count:1,t:'',lurl:'5/c.jpg',dmt:1,purl:'\x81'}\xC8"),
        seed(b"\x81", "http://http://x.photo.163.com.photo.163.com/", HOME_PAGE, "{id:1,name:'乗',s:0,count:1,t:'',lurl:'5/乗/亅.jpg',dmt:1,purl:'乗'}"),
    ]


def folder_seeds():
    return [
        seed(b"\x80", "a:b/c?d", "5", "demo"),
        seed(b"\x81", "我的相册（2015）·旅行！", "30", "sample"),
        seed(b"\x82", "ver1.0 final", "8", ".."),
        seed(b"\x83", ". . .", "12", "../.."),
        seed(b"\x80", "旅行 2015", "120", "a\\b"),
        seed(b"\x80", "乗\\亅|", "3", ""),
        seed(b"\x81", "say \"hi\"\t\r\n", "1", "."),
        seed(b"\x82", "啊Ａ　【行】", "7", "网易用户"),
    ]


write("text", text_seeds())
write("url", url_seeds())
write("cookies", cookie_seeds())
write("encoding", encoding_seeds())
write("records", record_seeds())
write("folders", folder_seeds())
