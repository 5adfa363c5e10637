#!/usr/bin/perl
# Lists one tag of a compound index in index order with an independent
# reader (Debian's XBase::Index): one line per key, "<key>\t<record>".
# Usage: read_cdx.pl FILE.CDX TAG TYPE   (TYPE C for character keys, N numeric)
use strict;
use warnings;
use XBase::Index;

my ($file, $tag, $type) = @ARGV;
my $idx = XBase::Index->new($file, 'tag' => $tag, 'type' => $type)
    or die "cannot open $file: " . XBase::Index->errstr . "\n";
$idx->prepare_select;
binmode STDOUT;
while (my ($key, $recno) = $idx->fetch) {
    print "$key\t$recno\n";
}
