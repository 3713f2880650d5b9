% Segments an image with the pixel graph that the modules build:
%   boxreach   the pairs of pixels within a window (radius 5)
%   pathpeak   for every pair, the strongest edge crossed on the straight path between them
%   packcols   the affinity matrix from the pattern and the affinities
%   sidescale  its normalisation D^-1/2 W D^-1/2
%   eigs       the leading eigenvectors of the normalised matrix
%   groupsum   the centroid update of k-means on the eigenvector rows
% and writes the image, its edge map and the segmentation as PNGs.
%
% octave-cli demo/demo.m MODULE_DIR [IMAGE [OUTPUT_DIR [SEGMENTS]]]
args = argv();
moddir = args{1};
imagefile = '';
outdir = fullfile('build', 'demo');
k = 6;
if numel(args) >= 2, imagefile = args{2}; end
if numel(args) >= 3, outdir = args{3}; end
if numel(args) >= 4, k = str2double(args{4}); end
addpath(moddir);
if ~exist(outdir, 'dir'), mkdir(outdir); end
radius = 5;
maxPixels = 40000;

function stage(name, t0, varargin)
  printf('  %-10s %6.2f s  %s\n', name, toc(t0), sprintf(varargin{:}));
  fflush(stdout);
end

% The image, as RGB doubles in [0, 1], reduced by block averaging until it is small enough.
t = tic;
if isempty(imagefile)
  error('demo: give an image file (make demo makes one from ImageMagick''s built-in logo)');
end
[img, map] = imread(imagefile);
if ~isempty(map)
  img = ind2rgb(img, map);
elseif isinteger(img)
  img = double(img) / double(intmax(class(img)));
else
  img = double(img);
end
if size(img, 3) == 1, img = repmat(img, [1 1 3]); end
img = img(:, :, 1:3);
while numel(img) / 3 > maxPixels
  M2 = floor(size(img, 1) / 2); N2 = floor(size(img, 2) / 2);
  img = (img(1:2:2*M2, 1:2:2*N2, :) + img(2:2:2*M2, 1:2:2*N2, :) + ...
         img(1:2:2*M2, 2:2:2*N2, :) + img(2:2:2*M2, 2:2:2*N2, :)) / 4;
end
[M, N, ~] = size(img);
P = M * N;
printf('demo: %s, %d-by-%d pixels, window radius %d, %d segments\n', imagefile, M, N, radius, k);
stage('image', t, '%d pixels', P);

% Edge map: the largest Sobel gradient magnitude over the colour channels, lightly smoothed.
t = tic;
g = [1 2 1]' * [1 2 1] / 16;
sx = [1 0 -1; 2 0 -2; 1 0 -1] / 4;
edges = zeros(M, N);
for c = 1:3
  ch = conv2(img(:, :, c), g, 'same');
  ch = ch([1 1:end end], [1 1:end end]);
  gx = conv2(ch, sx, 'valid');
  gy = conv2(ch, sx', 'valid');
  edges = max(edges, sqrt(gx .^ 2 + gy .^ 2));
end
edges = edges / max(edges(:) + eps);
stage('edges', t, 'max %.3f, mean %.3f', max(edges(:)), mean(edges(:)));

% The pixel graph.
t = tic;
[pairIndex, pairStart] = boxreach(radius, [M N]);
stage('boxreach', t, '%d pairs, %.1f per pixel', numel(pairIndex), numel(pairIndex) / P);

t = tic;
peak = pathpeak(edges, edges, pairIndex, pairStart);
stage('pathpeak', t, '%d weights, max %.3f', numel(peak), max(peak));

% Affinity: pixels with no strong edge between them belong together.
t = tic;
sigma = 0.04;
affinity = exp(-peak / sigma);
W = packcols(pairIndex, pairStart, affinity, P);
W = (W + W') / 2;  % a pair and its reverse sample different paths
stage('packcols', t, '%d-by-%d, %d stored entries', rows(W), columns(W), nnz(W));

t = tic;
d = full(sum(W, 2));
s = 1 ./ sqrt(d);
A = sidescale(W, s, s);
A = (A + A') / 2;  % (s_i w_ij) s_j and (s_j w_ji) s_i may differ in the last bit
stage('sidescale', t, 'degrees %.1f to %.1f', min(d), max(d));

t = tic;
opts.tol = 1e-6;
opts.maxit = 1000;
opts.disp = 0;
[V, D] = eigs(A, k, 'la', opts);
[~, order] = sort(diag(D), 'descend');
V = V(:, order);
X = V .* s;  % back to the generalised eigenvectors
X = X ./ max(sqrt(sum(X .^ 2, 2)), eps);
stage('eigs', t, '%d eigenvectors, eigenvalues %s', k, mat2str(diag(D)(order)', 4));

% k-means on the rows of X, centroids updated with groupsum.
t = tic;
C = zeros(k, k);
C(1, :) = X(1, :);
dist = sum((X - C(1, :)) .^ 2, 2);
for c = 2:k  % farthest-point start, so runs are repeatable
  [~, far] = max(dist);
  C(c, :) = X(far, :);
  dist = min(dist, sum((X - C(c, :)) .^ 2, 2));
end
labels = zeros(P, 1);
for iter = 1:100
  D2 = sum(X .^ 2, 2) + sum(C .^ 2, 2)' - 2 * X * C';
  [~, newLabels] = min(D2, [], 2);
  if isequal(newLabels, labels), break; end
  labels = newLabels;
  counts = groupsum(ones(P, 1), labels, k);
  sums = groupsum(X, labels, k);
  keep = counts > 0;
  C(keep, :) = sums(keep, :) ./ counts(keep);
end
stage('k-means', t, '%d iterations, segment sizes %s', iter, mat2str(sort(counts', 'descend')));

% Pictures: the image, the edge map, the segments in colour over the image with their borders.
t = tic;
seg = reshape(labels, M, N);
palette = [0.90 0.10 0.10; 0.10 0.60 0.95; 1.00 0.80 0.00; 0.20 0.75 0.25; 0.70 0.30 0.90; ...
           1.00 0.50 0.10; 0.00 0.80 0.80; 0.95 0.40 0.70; 0.50 0.50 0.50; 0.60 0.40 0.20];
colour = reshape(palette(mod(seg(:) - 1, rows(palette)) + 1, :), M, N, 3);
overlay = 0.45 * img + 0.55 * colour;
border = false(M, N);
border(1:end-1, :) |= seg(1:end-1, :) ~= seg(2:end, :);
border(:, 1:end-1) |= seg(:, 1:end-1) ~= seg(:, 2:end);
overlay(repmat(border, [1 1 3])) = 0;
scale = max(1, floor(480 / max(M, N)));  % enlarge small images so they can be seen
big = @(x) x(kron(1:rows(x), ones(1, scale)), kron(1:columns(x), ones(1, scale)), :);
imwrite(uint8(255 * big(img)), fullfile(outdir, 'image.png'));
imwrite(uint8(255 * big(1 - edges)), fullfile(outdir, 'edges.png'));
imwrite(uint8(255 * big(overlay)), fullfile(outdir, 'segments.png'));
stage('pictures', t, 'image.png, edges.png, segments.png in %s', outdir);
